#include "settings/win32/OptionsDialog.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <array>
#include <vector>

#include "platform/win32/BrowseForFolder.h"
#include "platform/win32/WideText.h"
#include "settings/win32/RegAddRegistryDialog.h"
#include "translation/Translation.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr int kOptionsGroupBox = 1301;
constexpr int kListLabel = 1310;
constexpr int kCheckBoxCount = 6;
constexpr int kGeneralPage = 0;

struct CheckBoxLayout {
  const char* name;
  const wchar_t* caption;
};
constexpr std::array<CheckBoxLayout, kCheckBoxCount> kCheckBoxes{{
    {"cbCreateRestore", L"Create a system restore point before repair (XP, Vista, 7)"},
    {"cbDeleteBackupFile", L"Delete backup file after restoring the registry on restore dialog"},
    {"cbIncludeRemoveMedia", L"Include all references to removable media"},
    {"cbIncludeCDdrive", L"Include all references to CD drive"},
    {"cbShowHint", L"Show hint dialog after repairing registry issue"},
    {"cbBeep", L"Beep after the scan and repair action"},
}};

// The form's yes/no fields in the check boxes' order, top to bottom.
std::array<bool*, kCheckBoxCount> CheckFields(OptionsForm& form) {
  return {&form.createRestore,  &form.deleteBackupFile, &form.includeRemoveMedia,
          &form.includeCDdrive, &form.showHint,         &form.beep};
}

void AddTab(HWND tabs, int index, const wchar_t* caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption);
  ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

int ActiveTab(HWND tabs) {
  return static_cast<int>(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
}

class TfrmOptions : public ui::Dialog {
 public:
  explicit TfrmOptions(const OptionsDialogInput& input)
      : ui::Dialog({"frmOptions", L"Options", 480, 400}),
        m_input(input),
        m_form(OptionsFormFrom(input.settings)) {}
  const std::optional<OptionsForm>& Confirmed() const { return m_confirmed; }

 protected:
  bool onInitDialog() override {
    const HWND pages =
        addTabs("suiPageControl1", kOptionsPages, {8, 8, 464, 344}, {L"General", L"Ignore Lists"});
    addGeneralPage();
    addIgnorePage();
    add({WC_BUTTONW, "bOK", ui::ComponentKind::Captioned, L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
         288, 362, 88, 28, IDOK});
    add({WC_BUTTONW, "bCancel", ui::ComponentKind::Captioned, L"&Cancel",
         BS_PUSHBUTTON | WS_TABSTOP, 0, 384, 362, 88, 28, IDCANCEL});
    // The page controls lie under the controls shown on them.
    ::SetWindowPos(::GetDlgItem(hwnd(), kOptionsListPages), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowPos(pages, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The pages' check boxes and labels sit on the page controls' face, so
    // the dialog paints that face behind them rather than its own colour.
    ::EnableThemeDialogTexture(hwnd(), ETDT_ENABLETAB);
    onFormShow();
    return true;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && onCommand(LOWORD(wParam))) return TRUE;
    if (message == WM_NOTIFY) {
      onNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return FALSE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  struct Box {
    int left, top, width, height;
  };

  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }
  HWND item(int id) const { return ::GetDlgItem(hwnd(), id); }

  HWND addTabs(const char* name, int id, Box box, std::initializer_list<const wchar_t*> captions) {
    const HWND tabs =
        add({WC_TABCONTROLW, name, ui::ComponentKind::PageControl, L"",
             WS_CLIPSIBLINGS | WS_TABSTOP, 0, box.left, box.top, box.width, box.height, id});
    int index = 0;
    for (const wchar_t* caption : captions) AddTab(tabs, index++, caption);
    return tabs;
  }

  void addGeneralPage() {
    add({WC_BUTTONW, "suiGroupBox1", ui::ComponentKind::Captioned,
         L"Select a destination folder to backup deleted entries by repairing", BS_GROUPBOX, 0, 20,
         42, 440, 64, kOptionsGroupBox});
    add({WC_EDITW, "eOutputFolder", ui::ComponentKind::Untranslated, L"",
         ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 32, 66, 376, 24, kOptionsOutputFolder});
    add({WC_BUTTONW, "bBrowse", ui::ComponentKind::Captioned, L"...", BS_PUSHBUTTON | WS_TABSTOP, 0,
         414, 65, 34, 26, kOptionsBrowse});
    for (int i = 0; i < kCheckBoxCount; ++i) {
      const CheckBoxLayout& box = kCheckBoxes[static_cast<std::size_t>(i)];
      add({WC_BUTTONW, box.name, ui::ComponentKind::Captioned, box.caption,
           BS_AUTOCHECKBOX | WS_TABSTOP, 0, 24, 118 + 30 * i, 436, 24, kOptionsFirstCheckBox + i});
    }
  }

  void addIgnorePage() {
    add({WC_STATICW, "Label1", ui::ComponentKind::Captioned,
         L"The following registry values and keys will be ignored:", SS_LEFT, 0, 20, 42, 436, 20,
         kListLabel});
    addTabs("suiPageControl2", kOptionsListPages, {20, 66, 336, 276}, {L"Values", L"Keys"});
    addList("lvValues", kOptionsValues);
    addList("lvKeys", kOptionsKeys);
    const std::array<std::pair<const char*, const wchar_t*>, 3> buttons{
        {{"bAdd", L"&Add"}, {"bEdit", L"&Edit"}, {"bRemove", L"&Remove"}}};
    for (int i = 0; i < 3; ++i) {
      const auto& [name, caption] = buttons[static_cast<std::size_t>(i)];
      add({WC_BUTTONW, name, ui::ComponentKind::Captioned, caption, BS_PUSHBUTTON | WS_TABSTOP, 0,
           368, 94 + 36 * i, 92, 28, kOptionsAdd + i});
    }
  }

  void addList(const char* name, int id) {
    const HWND list = add({WC_LISTVIEWW, name, ui::ComponentKind::ListView, L"",
                           LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, 28, 96, 320, 238, id});
    ui::ListView view(list);
    view.setExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    view.addColumn(L"Items", 296);
  }

  // FormShow: the settings into the controls, page "General", the language.
  void onFormShow() {
    ::SetWindowTextW(item(kOptionsOutputFolder), Widen(m_form.outputFolder).c_str());
    const std::array<bool*, kCheckBoxCount> fields = CheckFields(m_form);
    for (int i = 0; i < kCheckBoxCount; ++i)
      ::SendMessageW(item(kOptionsFirstCheckBox + i), BM_SETCHECK,
                     *fields[static_cast<std::size_t>(i)] ? BST_CHECKED : BST_UNCHECKED, 0);
    fillList(kOptionsValues, m_form.values);
    fillList(kOptionsKeys, m_form.keys);
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    const HWND restore = item(kOptionsFirstCheckBox);
    ::SetWindowTextW(restore, Widen(RestorePointCaption(Narrow(ui::WindowText(restore)))).c_str());
    showPage(kGeneralPage);
  }

  bool onCommand(int id) {
    switch (id) {
      case IDOK:
        onOK();
        return true;
      case kOptionsBrowse:
        onBrowse();
        return true;
      case kOptionsAdd:
        onAdd();
        return true;
      case kOptionsEdit:
        onEdit();
        return true;
      case kOptionsRemove:
        onRemove();
        return true;
      default:
        return false;  // Cancel and the close box: the base ends with IDCANCEL
    }
  }

  void onNotify(const NMHDR& header) {
    const int from = static_cast<int>(header.idFrom);
    if (header.code == TCN_SELCHANGE && from == kOptionsPages) showPage(ActiveTab(header.hwndFrom));
    if (header.code == TCN_SELCHANGE && from == kOptionsListPages) showCurrentList();
    if (header.code == NM_DBLCLK && (from == kOptionsValues || from == kOptionsKeys)) onEdit();
  }

  void showPage(int page) {
    ::SendMessageW(item(kOptionsPages), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    const bool general = page == kGeneralPage;
    for (int id = kOptionsGroupBox; id < kOptionsFirstCheckBox + kCheckBoxCount; ++id)
      ::ShowWindow(item(id), general ? SW_SHOW : SW_HIDE);
    for (int id = kListLabel; id <= kOptionsRemove; ++id)
      ::ShowWindow(item(id), general ? SW_HIDE : SW_SHOW);
    if (!general) showCurrentList();
  }

  // The list of the selected "Values"/"Keys" page; "Values" when none is.
  int currentListId() const {
    return ActiveTab(item(kOptionsListPages)) == 1 ? kOptionsKeys : kOptionsValues;
  }
  std::vector<IgnoreRow>& currentRows() {
    return currentListId() == kOptionsKeys ? m_form.keys : m_form.values;
  }

  void showCurrentList() {
    const bool keys = currentListId() == kOptionsKeys;
    const bool onIgnorePage = ActiveTab(item(kOptionsPages)) != kGeneralPage;
    ::ShowWindow(item(kOptionsValues), onIgnorePage && !keys ? SW_SHOW : SW_HIDE);
    ::ShowWindow(item(kOptionsKeys), onIgnorePage && keys ? SW_SHOW : SW_HIDE);
  }

  void fillList(int id, const std::vector<IgnoreRow>& rows) {
    ui::ListView list(item(id));
    list.clear();
    for (const IgnoreRow& row : rows) list.setChecked(list.appendRow(Widen(row.text)), row.ticked);
  }

  // The user's ticks live in the list; the rows take them before each change.
  void readTicks(int id, std::vector<IgnoreRow>& rows) const {
    const ui::ListView list(item(id));
    for (std::size_t row = 0; row < rows.size(); ++row)
      rows[row].ticked = list.isChecked(static_cast<int>(row));
  }

  void readChecks() {
    m_form.outputFolder = Narrow(ui::WindowText(item(kOptionsOutputFolder)));
    const std::array<bool*, kCheckBoxCount> fields = CheckFields(m_form);
    for (int i = 0; i < kCheckBoxCount; ++i)
      *fields[static_cast<std::size_t>(i)] =
          ::SendMessageW(item(kOptionsFirstCheckBox + i), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  void onOK() {
    readChecks();
    readTicks(kOptionsValues, m_form.values);
    readTicks(kOptionsKeys, m_form.keys);
    if (const std::optional<std::string> problem =
            BackupFolderProblem(m_input.fs, m_form.outputFolder, m_input.translation)) {
      m_input.tellError(hwnd(), *problem);
      showPage(kGeneralPage);
      ::SetFocus(item(kOptionsOutputFolder));
      return;
    }
    m_confirmed = m_form;
    endDialog(IDOK);
  }

  void onBrowse() {
    const std::string title = m_input.translation.GetLanString(
        "RES_Select_Directory", "Please select the directory to add");
    std::string folder;
    if (BrowseForFolder(hwnd(), title, "", folder))
      ::SetWindowTextW(item(kOptionsOutputFolder), Widen(folder).c_str());
  }

  std::optional<std::string> askEntry(const std::string& start) {
    return RegAddRegistryDialog(hwnd(), {m_input.fs, m_input.translation, m_input.language, start});
  }

  void onAdd() {
    const int id = currentListId();
    std::vector<IgnoreRow>& rows = currentRows();
    readTicks(id, rows);
    const std::optional<std::string> entry = askEntry("");
    if (entry && AddIgnoreRow(rows, *entry)) fillList(id, rows);
  }

  void onEdit() {
    const int id = currentListId();
    std::vector<IgnoreRow>& rows = currentRows();
    const std::vector<int> selected = ui::ListView(item(id)).selectedRows();
    if (selected.empty() || static_cast<std::size_t>(selected.front()) >= rows.size()) return;
    readTicks(id, rows);
    IgnoreRow& row = rows[static_cast<std::size_t>(selected.front())];
    if (const std::optional<std::string> entry = askEntry(row.text)) {
      row.text = *entry;  // no duplicate test on editing
      ui::ListView(item(id)).setText(selected.front(), 0, Widen(row.text));
    }
  }

  void onRemove() {
    const int id = currentListId();
    std::vector<IgnoreRow>& rows = currentRows();
    readTicks(id, rows);
    if (RemoveTickedRows(rows) > 0) fillList(id, rows);
  }

  const OptionsDialogInput& m_input;
  OptionsForm m_form;
  std::optional<OptionsForm> m_confirmed;
};

}  // namespace

TellError ErrorBox() {
  return [](HWND owner, const std::string& text) {
    ::MessageBoxW(owner, Widen(text).c_str(), L"Corvane Hivesweep", MB_OK | MB_ICONERROR);
  };
}

std::optional<OptionsForm> OptionsDialog(HWND owner, const OptionsDialogInput& input) {
  TfrmOptions dialog(input);
  dialog.runModal(owner);
  return dialog.Confirmed();
}

OptionsCommandResult RunOptionsCommand(HWND owner, OptionsCommandInput& input) {
  OptionsCommandResult result;
  const std::optional<OptionsForm> form = OptionsDialog(
      owner,
      {input.fs, input.translation, input.translation.Language(), input.settings, input.tellError});
  if (!form) return result;
  result.confirmed = true;
  ApplyOptionsForm(*form, input.settings);
  const std::optional<std::string> failure =
      LoadSaveOptions(false, input.fs, input.programFolder, input.screen, input.settings);
  if (failure) {
    result.saveError = *failure;
    input.tellError(owner, *failure);
  }
  return result;
}

}  // namespace hs::win32
