#include "startup/win32/StartupManagerDialog.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "startup/StartupEntries.h"
#include "translation/Translation.h"
#include "widgets/win32/ButtonRow.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr int kClientWidth = 780;
constexpr int kClientHeight = 360;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 25;

// The list's columns as designed, in pixels at 96 DPI.
struct Column {
  const wchar_t* caption;
  int width;
};
constexpr Column kColumns[] = {
    {L"Startup Program", 90}, {L"File", 160}, {L"Location", 200}, {L"State", 70}};

constexpr int kHeaderPadding = 24;  // the header's margins and divider

void ShowFailures(HWND owner, const std::string& text) {
  ::MessageBoxW(owner, Widen(text).c_str(), L"Corvane Hivesweep", MB_OK | MB_ICONERROR);
}

class TfrmStartupManager : public ui::Dialog {
 public:
  explicit TfrmStartupManager(const StartupManagerInput& input)
      : ui::Dialog({"frmStartupManager", L"Startup Manager", kClientWidth, kClientHeight}),
        m_input(input),
        m_remover(input.registry, input.fs, input.backupFolder, input.clock) {}
  const StartupManagerOutput& Output() const { return m_output; }

 protected:
  bool onInitDialog() override {
    createControls();
    FormShow();
    return true;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_COMMAND) return ui::Dialog::handleMessage(message, wParam, lParam);
    switch (LOWORD(wParam)) {
      case kStartupSelectAll:
        bSelectAllClick();
        return TRUE;
      case kStartupSelectNone:
        bSelectNoneClick();
        return TRUE;
      case kStartupDeleteEntry:
        bDeleteEntryClick();
        return TRUE;
      case kStartupDisable:
        bDisableClick();
        return TRUE;
      case kStartupEnable:
        bEnableClick();
        return TRUE;
      default:
        return ui::Dialog::handleMessage(message, wParam, lParam);
    }
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  void createControls() {
    const HWND list = add({WC_LISTVIEWW, "lvStartup", ui::ComponentKind::ListView, L"",
                           LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, 8, 8,
                           kClientWidth - 16, kClientHeight - 56, kStartupList});
    ui::ListView view(list);
    view.setExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (const Column& column : kColumns)
      view.addColumn(column.caption, ui::ScaleToWindow(hwnd(), column.width));
    // Shown beside the name, where it is seen first; its number (and its
    // translation key) stays that of the fourth column.
    int shownOrder[] = {0, 3, 1, 2};
    ListView_SetColumnOrderArray(list, 4, shownOrder);
    const ui::RowButton fromLeft[] = {
        {"bSelectAll", L"Select &All", kStartupSelectAll},
        {"bSelectNone", L"Select &None", kStartupSelectNone},
        {"bDeleteEntry", L"&Delete Entry", kStartupDeleteEntry},
        {"bDisable", L"D&isable", kStartupDisable},
        {"bEnable", L"&Enable", kStartupEnable},
    };
    const ui::RowButton close[] = {{"bClose", L"&Close", IDCANCEL}};
    ui::AddButtonRow(hwnd(), components(),
                     {kClientWidth, kClientHeight, kButtonWidth, kButtonHeight}, fromLeft, close);
  }

  ui::ListView list() const { return ui::ListView(::GetDlgItem(hwnd(), kStartupList)); }

  void FormShow() {
    const StartupListOptions options = ProgramStartupListOptions(
        m_input.windowsVersionCode, m_input.wow64Process, m_input.translation);
    for (StartupEntry& entry : ListStartupEntries(m_input.registry, m_input.fs, options))
      m_rows.push_back({std::move(entry), false});
    showRows();
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    // After the relabelling, so that translated captions fit too.
    fitColumns();
  }

  // Each column as wide as its widest text when there are rows, else as
  // designed; never narrower than its caption, which an empty list shows too.
  void fitColumns() {
    list().fitColumns(!m_rows.empty(), ui::ScaleToWindow(hwnd(), kHeaderPadding));
  }

  void showRows() {
    ui::ListView view = list();
    view.clear();
    for (const StartupRow& row : m_rows) {
      const int index = view.appendRow(Widen(row.entry.caption));
      view.setText(index, 1, Widen(row.entry.file));
      view.setText(index, 2, Widen(row.entry.location));
      view.setText(index, 3, Widen(StateText(row.entry.state)));
      view.setChecked(index, row.ticked);
    }
  }

  void bSelectAllClick() { list().setAllChecked(true); }
  void bSelectNoneClick() { list().setAllChecked(false); }

  std::string StateText(StartupState state) const {
    switch (state) {
      case StartupState::Enabled:
        return m_input.translation.GetLanString("RES_Startup_Enabled", "Enabled");
      case StartupState::Disabled:
        return m_input.translation.GetLanString("RES_Startup_Disabled", "Disabled");
      case StartupState::NotSwitchable:
        return m_input.translation.GetLanString("RES_Startup_Always", "Always");
    }
    return {};
  }

  void readTicks() {
    const ui::ListView view = list();
    for (std::size_t i = 0; i < m_rows.size(); ++i)
      m_rows[i].ticked = view.isChecked(static_cast<int>(i));
  }

  void bDeleteEntryClick() {
    readTicks();
    const std::size_t before = m_rows.size();
    std::vector<StartupFailure> failures = DeleteTickedRows(m_remover, m_rows);
    m_output.deletedCount += static_cast<int>(before - m_rows.size());
    m_output.backupFile = m_remover.BackupFile();
    if (m_rows.size() != before) showRows();
    tellFailures(failures, "These entries could not be deleted:");
  }

  // Nothing is deleted, so nothing is backed up: the state is one value of
  // the system's own, written back as it was by the opposite switch.
  void switchTicked(bool enabled) {
    readTicks();
    const std::vector<StartupFailure> failures =
        SwitchTickedRows(m_input.registry, m_rows, enabled, m_input.fileTimeNow());
    showRows();
    tellFailures(failures, enabled ? "These entries could not be enabled:"
                                   : "These entries could not be disabled:");
  }

  void bDisableClick() { switchTicked(false); }
  void bEnableClick() { switchTicked(true); }

  void tellFailures(const std::vector<StartupFailure>& failures, const std::string& heading) {
    if (failures.empty()) return;
    // In English, as the repair's own failure reports: the message catalogue
    // is the program's fixed set of translated texts.
    const std::string text = FailureReport(failures, heading);
    m_output.failures.insert(m_output.failures.end(), failures.begin(), failures.end());
    if (m_input.tellFailures)
      m_input.tellFailures(hwnd(), text);
    else
      ShowFailures(hwnd(), text);
  }

  const StartupManagerInput& m_input;
  StartupRemover m_remover;
  std::vector<StartupRow> m_rows;
  StartupManagerOutput m_output;
};

}  // namespace

StartupManagerOutput StartupManagerDialog(HWND owner, const StartupManagerInput& input) {
  TfrmStartupManager dialog(input);
  dialog.runModal(owner);
  return dialog.Output();
}

}  // namespace hs::win32
