// TfrmKeyscour: the commands of its buttons, menus and shortcuts, one
// handler each, and the notifications of its controls.
#include <windows.h>

#include "findings/ListCommandState.h"
#include "findings/ListCommands.h"
#include "mainwindow/win32/EvidenceDialog.h"
#include "mainwindow/win32/ListCommandsWindow.h"
#include "mainwindow/win32/NotRepairedDialog.h"
#include "mainwindow/win32/RegMain.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/win32/OptionsDialog.h"
#include "ui/ScanCommandSteps.h"

namespace hs::mainwindow {

namespace {
constexpr const char* kUpdateAddress = "https://www.corvane.example/hivesweep/update";

// Whether a row of the list gained or lost the focus.
bool FocusMoved(const NMLISTVIEW& change) {
  return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED);
}
}  // namespace

// What only the window can do for the scan command's steps.
class TfrmKeyscour::ScanHost : public ui::ScanCommandHost {
 public:
  explicit ScanHost(TfrmKeyscour& window) : m_window(window) {}

  void ResetKeyAndValueColumns() override {
    m_window.m_list->SetColumnWidth(1, 300);
    m_window.m_list->SetColumnWidth(2, 150);
  }
  void RunProgressDialog(const std::vector<std::string>& tasks) override {
    m_window.m_taskList = tasks;
    m_window.RowsChanged();
    ui::AppContext& context = m_window.m_context;
    ScanDialogInput dialog;
    dialog.taskList = tasks;
    dialog.settings = ScanSettings::From(context.settings, context.facts, context.texts());
    // Not owned: the context outlives the window, which joins the worker.
    dialog.registry = std::shared_ptr<RegistryBackend>(std::shared_ptr<void>(), &context.registry);
    dialog.files = std::shared_ptr<FileSystemBackend>(std::shared_ptr<void>(), &context.fs);
    dialog.cleanOnce = m_window.m_cleanOnce;
    dialog.countsWindow = m_window.hwnd();
    dialog.handOver = m_window.m_handOver;
    dialog.workers = &m_window.m_scanWorkers;
    RunScanDialog(m_window.hwnd(), dialog, m_window.m_rows,
                  [this] { m_window.m_list->RowsChanged(); });
  }
  void FitColumns(bool anyRows) override { m_window.m_list->FitColumns(anyRows); }
  void RefreshCounts() override { m_window.RowsChanged(); }
  void Beep() override { ::Beep(2047, 500); }

 private:
  TfrmKeyscour& m_window;
};

void TfrmKeyscour::ScanRegistry() {
  ScanHost host(*this);
  const Settings& s = m_context.settings;
  ui::ScanRegistry(m_sections, m_rows,
                   {s.IgnoreValueList, s.IgnoreKeyList, m_repairState.unrepaired,
                    m_context.facts.version, s.Beep},
                   host);
}

win32::ListCommandInput TfrmKeyscour::ListInput() {
  return {m_context.registry,      m_context.fs, m_context.settings,
          m_context.programFolder, Screen(),     m_questions};
}

void TfrmKeyscour::onCommand(UINT id) {
  if (m_menus.language->owns(id)) {
    onLanguage(id);
    return;
  }
  const std::optional<MainCommand> command = MainCommandOf(id);
  if (!command) return;
  switch (*command) {
    case MainCommand::StartupManager:
      onStartupManager();
      break;
    case MainCommand::Exit:
      onExit();
      break;
    case MainCommand::ScanRegistry:
      ScanRegistry();
      break;
    case MainCommand::RepairRegistry:
      onRepairRegistry();
      break;
    case MainCommand::SelectAll:
      onSelectAll(true);
      break;
    case MainCommand::SelectNone:
      onSelectAll(false);
      break;
    case MainCommand::SelectAllOfType:
      onSelectOfType(true);
      break;
    case MainCommand::SelectNoneOfType:
      onSelectOfType(false);
      break;
    case MainCommand::AddToIgnoreLists:
      onAddToIgnoreLists();
      break;
    case MainCommand::SaveToTextFile:
      onSaveToTextFile();
      break;
    case MainCommand::OpenInRegedit:
      onOpenInRegedit();
      break;
    case MainCommand::CheckForUpdate:
      onCheckForUpdate();
      break;
    case MainCommand::Options:
      onOptions();
      break;
    case MainCommand::RestoreRegistry:
      onRestoreRegistry();
      break;
    case MainCommand::BackupFullRegistry:
      onBackupFullRegistry();
      break;
    case MainCommand::WindowsBackup:
      onWindowsBackup();
      break;
    case MainCommand::OnlineHelp:
      onOnlineHelp();
      break;
    case MainCommand::HomePage:
      onHomePage();
      break;
    case MainCommand::About:
      onAbout();
      break;
    case MainCommand::EvidenceDetails:
      onEvidenceDetails();
      break;
  }  // no default: a command without its case does not build (-Wswitch)
}

void TfrmKeyscour::RowsChanged() {
  m_list->RowsChanged();
  RefreshCounts();
}

std::optional<std::size_t> TfrmKeyscour::FocusedRow() const {
  const int row = ListView_GetNextItem(m_list->hwnd(), -1, LVNI_FOCUSED);
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void TfrmKeyscour::onExit() {
  ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

// An unattended run has no one to show the rows it kept to.
std::function<void(HWND, const std::vector<NotRepaired>&)> TfrmKeyscour::ShowNotRepaired() const {
  if (m_cleanOnce) return nullptr;
  return [](HWND owner, const std::vector<NotRepaired>& rows) {
    win32::NotRepairedDialog(owner, {rows, nullptr});
  };
}

void TfrmKeyscour::onRepairRegistry() {
  const Translation texts = m_context.texts();
  win32::RepairWindowInput input{m_context.registry,
                                 m_context.fs,
                                 m_context.settings,
                                 texts,
                                 m_context.facts.WindowsVersionCode(),
                                 m_repairState,
                                 m_questions,
                                 ShowNotRepaired(),
                                 {}};
  win32::RepairFromWindow(hwnd(), input, m_rows);
  RowsChanged();
}

void TfrmKeyscour::onSelectAll(bool checked) {
  SetAllChecked(m_rows, checked);
  RowsChanged();
}

void TfrmKeyscour::onSelectOfType(bool checked) {
  win32::SetCheckedOfFocusedType(m_rows, FocusedRow(), checked);
  RowsChanged();
}

void TfrmKeyscour::onAddToIgnoreLists() {
  // The command saves the settings at once: placement and tree checks first.
  StorePlacement();
  win32::ListCommandInput input = ListInput();
  win32::AddToIgnoreLists(hwnd(), input, m_rows, m_list->SelectedRows());
  ListView_SetItemState(m_list->hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  RowsChanged();
}

void TfrmKeyscour::onSaveToTextFile() {
  win32::ListCommandInput input = ListInput();
  win32::SaveToTextFile(hwnd(), input, m_rows);
}

void TfrmKeyscour::onOpenInRegedit() {
  const std::optional<std::size_t> row = FocusedRow();
  if (!row) return;
  win32::ListCommandInput input = ListInput();
  win32::OpenInRegedit(input, m_rows[*row]);
}

void TfrmKeyscour::onEvidenceDetails() {
  const std::optional<std::size_t> row = FocusedRow();
  if (!row) return;
  const Translation texts = m_context.texts();
  win32::EvidenceDialog(
      hwnd(), {m_rows[*row], EvidenceWords(), m_context.fs, texts, m_context.settings.Lan, {}});
}

const EvidenceTexts& TfrmKeyscour::EvidenceWords() {
  const std::string& language = m_context.settings.Lan;
  if (!m_evidenceWords || m_evidenceLanguage != language) {
    m_evidenceWords.emplace(m_context.texts());
    m_evidenceLanguage = language;
  }
  return *m_evidenceWords;
}

// A language whose file exists relabels the window; the messages (the
// counts among them) take it at once.
void TfrmKeyscour::onLanguage(UINT id) {
  if (ui::OnLanguageCommand(hwnd(), components(), *m_menus.language, id, m_context)) {
    FitTaskButtons();
    RefreshCounts();
  }
}

// Confirmed options are saved at once: placement and tree checks first.
void TfrmKeyscour::onOptions() {
  StorePlacement();
  const Translation texts = m_context.texts();
  win32::OptionsCommandInput input{
      m_context.fs,         texts, m_context.programFolder, Screen(), m_context.settings,
      m_questions.tellError};
  win32::RunOptionsCommand(hwnd(), input);
}

void TfrmKeyscour::onCheckForUpdate() {
  if (m_questions.openAddress) m_questions.openAddress(hwnd(), kUpdateAddress);
}

LRESULT TfrmKeyscour::onNotify(const NMHDR& header) {
  LRESULT result = 0;
  if (m_tree && m_tree->OnNotify(header, result)) return result;
  if (m_list && header.hwndFrom == m_list->hwnd() && header.code == LVN_ITEMCHANGED &&
      FocusMoved(*reinterpret_cast<const NMLISTVIEW*>(&header)))
    RefreshEvidencePanel();
  if (m_list && m_list->OnNotify(header, result)) return result;
  if (m_list && header.hwndFrom == m_list->hwnd() && header.code == NM_CLICK) RefreshCounts();
  return 0;
}

void TfrmKeyscour::onContextMenu(HWND from, LPARAM position) {
  if (!m_list || from != m_list->hwnd()) return;
  POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  if (position == -1) {  // from the keyboard: at the focused row, or the list's corner
    RECT row{};
    const int focused = ListView_GetNextItem(from, -1, LVNI_FOCUSED);
    if (focused < 0 || !ListView_GetItemRect(from, focused, &row, LVIR_LABEL)) row = {4, 4, 4, 4};
    at = {row.left, row.bottom};
    ::ClientToScreen(from, &at);
  }
  ::TrackPopupMenu(m_menus.list.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void TfrmKeyscour::onInitMenuPopup(HMENU menu) {
  if (menu == m_menus.language->menu()) {
    m_menus.language->onOpening(components(), m_context.languageFiles());
    return;
  }
  const ListCommandsEnabled enabled = ListCommandsEnabledFor(m_rows, FocusedRow());
  const std::pair<MainCommand, bool> states[] = {
      {MainCommand::SelectAll, enabled.selectAll},
      {MainCommand::SelectNone, enabled.selectNone},
      {MainCommand::SelectAllOfType, enabled.selectAllOfType},
      {MainCommand::SelectNoneOfType, enabled.selectNoneOfType},
      {MainCommand::AddToIgnoreLists, enabled.addToIgnoreLists},
      {MainCommand::SaveToTextFile, enabled.saveToTextFile},
      {MainCommand::OpenInRegedit, enabled.openInRegedit},
      {MainCommand::EvidenceDetails, enabled.evidenceDetails}};
  for (const auto& [command, on] : states) {
    const UINT flags = MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(menu, static_cast<UINT>(command), flags);
    ::EnableMenuItem(menu, static_cast<UINT>(command) + kListMenuIdOffset, flags);
  }
}

}  // namespace hs::mainwindow
