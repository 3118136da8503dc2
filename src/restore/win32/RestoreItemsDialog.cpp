#include "restore/win32/RestoreItemsDialog.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "restore/RestoreDialogRules.h"
#include "restore/RestoreItems.h"
#include "widgets/win32/ButtonRow.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr int kItemsClientWidth = 680;
constexpr int kItemsClientHeight = 360;
constexpr int kItemsButtonWidth = 160;
constexpr int kItemsButtonHeight = 25;
constexpr int kItemsHeaderPadding = 24;  // the header's margins and divider

class TfrmRestoreItems : public ui::Dialog {
 public:
  explicit TfrmRestoreItems(const RestoreItemsInput& input)
      : ui::Dialog({"frmRestoreItems", L"Backup items", kItemsClientWidth, kItemsClientHeight}),
        m_input(input),
        m_items(input.items) {}
  const RestoreItemsOutput& Output() const { return m_output; }

 protected:
  bool onInitDialog() override {
    createControls();
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    showItems();
    // After the relabelling, so that translated captions fit too.
    list().fitColumns(false, ui::ScaleToWindow(hwnd(), kItemsHeaderPadding));
    return true;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_COMMAND) return ui::Dialog::handleMessage(message, wParam, lParam);
    switch (LOWORD(wParam)) {
      case kItemsSelectAll:
        bSelectAllClick();
        return TRUE;
      case kItemsSelectNone:
        bSelectNoneClick();
        return TRUE;
      case kItemsRestoreChecked:
        bRestoreCheckedClick();
        return TRUE;
      default:
        return ui::Dialog::handleMessage(message, wParam, lParam);
    }
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }
  ui::ListView list() const { return ui::ListView(::GetDlgItem(hwnd(), kItemsList)); }

  void createControls() {
    const HWND view =
        add({WC_LISTVIEWW, "lvItems", ui::ComponentKind::ListView, L"",
             LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP, 0, 8, 8,
             kItemsClientWidth - 16, kItemsClientHeight - 56, kItemsList});
    ui::ListView items(view);
    items.setExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    items.addColumn(L"Key", ui::ScaleToWindow(hwnd(), 250));
    items.addColumn(L"Value", ui::ScaleToWindow(hwnd(), 90));
    items.addColumn(L"Puts back", ui::ScaleToWindow(hwnd(), 180));
    items.addColumn(L"In registry", ui::ScaleToWindow(hwnd(), 80));
    const ui::RowButton fromLeft[] = {
        {"bSelectAll", L"Select &All", kItemsSelectAll},
        {"bSelectNone", L"Select &None", kItemsSelectNone},
        {"bRestoreChecked", L"&Restore checked", kItemsRestoreChecked},
    };
    const ui::RowButton close[] = {{"bClose", L"&Close", IDCANCEL}};
    ui::AddButtonRow(hwnd(), components(),
                     {kItemsClientWidth, kItemsClientHeight, kItemsButtonWidth, kItemsButtonHeight},
                     fromLeft, close);
  }

  void showItems() {
    ui::ListView view = list();
    view.clear();
    for (const BackupFileItem& item : m_items) {
      const int row = view.appendRow(Widen(item.keyPath));
      view.setText(row, 1, Widen(ItemValueText(item)));
      view.setText(row, 2, Widen(item.putsBack));
      view.setText(row, 3, Widen(PresenceText(item.presence, m_input.translation)));
    }
  }

  void bSelectAllClick() { list().setAllChecked(true); }
  void bSelectNoneClick() { list().setAllChecked(false); }

  std::vector<std::size_t> checkedNumbers() const {
    const ui::ListView view = list();
    std::vector<std::size_t> numbers;
    for (int i = 0; i < view.rowCount() && static_cast<std::size_t>(i) < m_items.size(); ++i)
      if (view.isChecked(i)) numbers.push_back(m_items[static_cast<std::size_t>(i)].number);
    return numbers;
  }

  void bRestoreCheckedClick() {
    const std::vector<std::size_t> numbers = checkedNumbers();
    if (numbers.empty()) return;
    CallingEditor editor(hwnd(), m_input.runEditor);
    const RestoreOutcome outcome =
        RestoreBackupItems(m_input.fs, m_input.registry, editor, m_input.request, numbers);
    const std::string message = ItemRestoreOutcomeText(m_input.request.file, outcome);
    if (!message.empty()) m_input.tell(hwnd(), message, outcome.end != RestoreEnd::Restored);
    if (outcome.fileDeleted) {
      m_output.fileDeleted = true;
      endDialog(IDOK);
      return;
    }
    // The registry as it is now: what came back, and what may have changed.
    const ListedItems listed = ListBackupItems(m_input.fs, m_input.registry, m_input.request);
    if (listed.outcome.end == RestoreEnd::Restored) m_items = listed.items;
    showItems();
  }

  const RestoreItemsInput& m_input;
  std::vector<BackupFileItem> m_items;
  RestoreItemsOutput m_output;
};

}  // namespace

RestoreItemsOutput RestoreItemsDialog(HWND owner, const RestoreItemsInput& input) {
  TfrmRestoreItems dialog(input);
  dialog.runModal(owner);
  return dialog.Output();
}

}  // namespace hs::win32
