#include "widgets/win32/TranslateForm.h"

#include <windows.h>
#include <commctrl.h>

#include "common/Text.h"
#include "platform/win32/WideText.h"
#include "widgets/ReadingOrder.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/Menus.h"
#include "widgets/win32/ReadingOrder.h"
#include "widgets/win32/StatusBar.h"
#include "widgets/win32/TreeView.h"

namespace hs::ui {

namespace {

constexpr int kCaptionChars = 1024;

// A status bar's kind follows what it shows now: one simple text or panels.
ComponentKind EffectiveKind(const Component& component) {
  if (component.kind == ComponentKind::StatusBarPanels ||
      component.kind == ComponentKind::StatusBarSimple)
    return StatusBar(component.window).isSimple() ? ComponentKind::StatusBarSimple
                                                  : ComponentKind::StatusBarPanels;
  return component.kind;
}

std::vector<std::wstring> ListBoxTexts(HWND box) {
  std::vector<std::wstring> texts;
  const auto count = ::SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    texts.push_back(std::move(text));
  }
  return texts;
}

// A list box has no "set item text": the item is replaced in place, keeping
// its data and selection.
void SetListBoxText(HWND box, int index, const std::wstring& text) {
  const auto item = static_cast<WPARAM>(index);
  const LRESULT data = ::SendMessageW(box, LB_GETITEMDATA, item, 0);
  const LRESULT selected = ::SendMessageW(box, LB_GETSEL, item, 0);
  ::SendMessageW(box, LB_DELETESTRING, item, 0);
  ::SendMessageW(box, LB_INSERTSTRING, item, reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(box, LB_SETITEMDATA, item, data);
  if (selected > 0) ::SendMessageW(box, LB_SETSEL, TRUE, static_cast<LPARAM>(index));
}

std::vector<std::wstring> TabTexts(HWND tabs) {
  std::vector<std::wstring> texts;
  const auto count = ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring buffer(kCaptionChars, L'\0');
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = kCaptionChars;
    ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    texts.emplace_back(item.pszText);
  }
  return texts;
}

void SetTabText(HWND tabs, int index, const std::wstring& text) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(tabs, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::vector<std::wstring> ReadTexts(const Component& component, ComponentKind kind) {
  switch (kind) {
    case ComponentKind::Window:
    case ComponentKind::Captioned:
      return {WindowText(component.window)};
    case ComponentKind::MenuItem:
      return {component.caption};
    case ComponentKind::ListBox:
      return ListBoxTexts(component.window);
    case ComponentKind::StatusBarSimple:
      return {StatusBar(component.window).simpleText()};
    case ComponentKind::StatusBarPanels: {
      const StatusBar bar(component.window);
      std::vector<std::wstring> texts;
      for (int i = 0; i < bar.panelCount(); ++i) texts.push_back(bar.text(i));
      return texts;
    }
    case ComponentKind::ListView: {
      const ListView list(component.window);
      std::vector<std::wstring> texts;
      for (int i = 0; i < list.columnCount(); ++i) texts.push_back(list.columnText(i));
      return texts;
    }
    case ComponentKind::PageControl:
      return TabTexts(component.window);
    case ComponentKind::TreeView: {
      const TreeView tree(component.window);
      std::vector<std::wstring> texts;
      for (const HTREEITEM node : tree.nodesInTreeOrder()) texts.push_back(tree.text(node));
      return texts;
    }
    case ComponentKind::MenuSeparator:
    case ComponentKind::Untranslated:
      break;
  }
  return {};
}

void WriteText(Component& component, ComponentKind kind, int index, const std::wstring& text) {
  switch (kind) {
    case ComponentKind::Window:
    case ComponentKind::Captioned:
      SetWindowTextOf(component.window, text);
      break;
    case ComponentKind::MenuItem:
      SetMenuItemCaption(component, text);
      break;
    case ComponentKind::ListBox:
      SetListBoxText(component.window, index, text);
      break;
    case ComponentKind::StatusBarSimple:
      StatusBar(component.window).setSimpleText(text);
      break;
    case ComponentKind::StatusBarPanels:
      StatusBar(component.window).setText(index, text);
      break;
    case ComponentKind::ListView:
      ListView(component.window).setColumnText(index, text);
      break;
    case ComponentKind::PageControl:
      SetTabText(component.window, index, text);
      break;
    case ComponentKind::TreeView: {
      const TreeView tree(component.window);
      const std::vector<HTREEITEM> nodes = tree.nodesInTreeOrder();
      if (static_cast<std::size_t>(index) < nodes.size())
        TreeView(component.window).setText(nodes[static_cast<std::size_t>(index)], text);
      break;
    }
    case ComponentKind::MenuSeparator:
    case ComponentKind::Untranslated:
      break;
  }
}

void RelabelComponents(ComponentRegistry& window, const IniFile& translation) {
  const std::string windowName = window.windowName();
  for (Component& component : window.all()) {
    const ComponentKind kind = EffectiveKind(component);
    const std::vector<std::wstring> before = ReadTexts(component, kind);
    std::vector<std::string> texts;
    for (const std::wstring& text : before) texts.push_back(win32::Narrow(text));
    TranslateTexts(translation, windowName, kind, component.name, texts);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::wstring after = win32::Widen(texts[i]);
      if (after != before[i]) WriteText(component, kind, static_cast<int>(i), after);
    }
  }
}

}  // namespace

void TranslateForm(ComponentRegistry& window, const IniFile& translation) {
  RelabelComponents(window, translation);
  ApplyReadingOrder(window, ReadsRightToLeft(translation));
  // A menu bar shows new captions only when it is drawn again.
  const HWND self = window.all().empty() ? nullptr : window.all().front().window;
  if (self && ::GetMenu(self)) ::DrawMenuBar(self);
}

void TranslateForm(ComponentRegistry& window, FileSystemBackend& fs, const Translation& texts,
                   const std::string& language) {
  const std::string path = texts.FilePath(language);
  if (!path.empty()) TranslateForm(window, IniFile::Load(fs, path));
}

void TranslateFormUnlessEnglish(ComponentRegistry& window, FileSystemBackend& fs,
                                const Translation& texts, const std::string& language) {
  if (!EqualsNoCase(language, "English")) TranslateForm(window, fs, texts, language);
}

std::vector<TranslationEntry> TranslationEntriesOf(const ComponentRegistry& window) {
  std::vector<TranslationEntry> entries;
  const std::string windowName = window.windowName();
  for (const Component& component : window.all()) {
    const ComponentKind kind = EffectiveKind(component);
    const std::vector<std::wstring> texts = ReadTexts(component, kind);
    const std::vector<TranslationKey> keys =
        TranslationKeysFor(windowName, kind, component.name, texts.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
      entries.push_back({keys[i], win32::Narrow(texts[i])});
  }
  return entries;
}

std::vector<TranslationKey> TranslationKeysOf(const ComponentRegistry& window) {
  std::vector<TranslationKey> keys;
  for (TranslationEntry& entry : TranslationEntriesOf(window)) keys.push_back(std::move(entry.key));
  return keys;
}

}  // namespace hs::ui
