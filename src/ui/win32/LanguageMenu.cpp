#include "ui/win32/LanguageMenu.h"

#include <vector>

#include "common/Text.h"
#include "platform/win32/WideText.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::ui {

namespace {

// The menu's components in menu order, the hidden item last.
std::vector<Component*> MenuItemsOf(ComponentRegistry& window, HMENU menu) {
  std::vector<Component*> items;
  for (Component& component : window.all())
    if (component.menu == menu) items.push_back(&component);
  return items;
}

}  // namespace

LanguageMenu::LanguageMenu(MenuBuilder& menus, HMENU menu, UINT firstId)
    : m_menu(menu), m_firstId(firstId) {
  UINT id = firstId;
  for (const LanguageItem& item : LanguageItems())
    menus.addItem(menu, item.component, win32::Widen(item.caption), id++);
  menus.addSeparator(menu, kOtherSeparator, id++);
  menus.addItem(menu, kOtherItem, win32::Widen(kOtherCaption), id++);
  m_endId = id;
  menus.addHiddenItem(menu, kHiddenLanguageItem, L"Language1", id);
}

void LanguageMenu::onOpening(ComponentRegistry& window, const LanguageFiles& files) const {
  std::vector<Component*> items = MenuItemsOf(window, m_menu);
  for (auto item = items.rbegin(); item != items.rend(); ++item)
    SetMenuItemVisible(window, (*item)->name, LanguageItemVisible((*item)->name, files));
}

void LanguageMenu::check(ComponentRegistry& window, std::string_view language) const {
  for (Component* item : MenuItemsOf(window, m_menu))
    if (item->kind == ComponentKind::MenuItem)
      SetMenuItemChecked(*item, EqualsNoCase(LanguageOfItem(item->name), language));
}

LanguageChoice LanguageMenu::choose(ComponentRegistry& window, UINT id,
                                    const LanguageFiles& files) const {
  const Component* item = window.findMenuItem(id);
  if (!owns(id) || !item) return {};
  LanguageChoice choice = ChooseLanguage(item->name, files);
  if (choice.switched) check(window, choice.language);
  return choice;
}

void ShowLanguageNotFound(HWND owner, const std::string& message) {
  ::MessageBoxW(owner, win32::Widen(message).c_str(), L"Corvane Hivesweep", MB_OK);
}

void ApplyLanguageOnShow(ComponentRegistry& window, const LanguageMenu& menu,
                         const AppContext& context) {
  menu.check(window, context.settings.Lan);
  TranslateFormUnlessEnglish(window, context.fs, context.texts(), context.settings.Lan);
}

bool OnLanguageCommand(HWND owner, ComponentRegistry& window, const LanguageMenu& menu, UINT id,
                       AppContext& context) {
  const LanguageChoice choice = menu.choose(window, id, context.languageFiles());
  if (!choice.switched) {
    if (!choice.message.empty()) ShowLanguageNotFound(owner, choice.message);
    return false;
  }
  context.settings.Lan = choice.language;
  TranslateForm(window, context.fs, context.texts(), choice.language);
  return true;
}

}  // namespace hs::ui
