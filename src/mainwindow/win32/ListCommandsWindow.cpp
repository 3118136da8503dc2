#include "mainwindow/win32/ListCommandsWindow.h"

#include <shellapi.h>

#include "findings/ListCommands.h"
#include "findings/Report.h"
#include "platform/SharedHelpers.h"
#include "restore/win32/RegistryEditorProcess.h"
#include "settings/AtomicFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

namespace hs::win32 {

namespace {

constexpr const char* kRegeditKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

// The whole settings file, replaced in one step; the error text when it failed.
std::optional<std::string> SaveSettings(ListCommandInput& input) {
  return LoadSaveOptions(false, input.fs, input.programFolder, input.screen, input.settings);
}

// The editor in a normal window, by its full path; nothing waits for it. The
// shell (not CreateProcess) starts it, so that the system can ask for
// elevation when this process has none.
bool StartRegistryEditor() {
  const std::wstring application = RegistryEditorPath();
  if (application.empty()) return false;
  const HINSTANCE started =
      ::ShellExecuteW(nullptr, L"open", application.c_str(), L"-m", nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(started) > 32;
}

std::string WriteFailure(FileSystemBackend& fs, const std::string& path) {
  const std::string reason = fs.lastErrorText();
  return "Unable to write to " + path + (reason.empty() ? "" : ": " + reason);
}

}  // namespace

bool SetCheckedOfFocusedType(std::vector<Finding>& rows, std::optional<std::size_t> focused,
                             bool checked) {
  if (!focused || *focused >= rows.size()) return false;
  const std::string problem = rows[*focused].Problem;
  SetCheckedOfType(rows, problem, checked);
  return true;
}

IgnoreAddResult AddToIgnoreLists(HWND owner, ListCommandInput& input, std::vector<Finding>& rows,
                                 const std::vector<std::size_t>& selected) {
  IgnoreAddResult result;
  result.rowsRemoved =
      IgnoreListAdd(rows, selected, input.settings.IgnoreKeyList, input.settings.IgnoreValueList);
  if (result.rowsRemoved == 0) return result;
  if (const std::optional<std::string> error = SaveSettings(input)) {
    result.saveError = *error;
    input.questions.tellError(owner, *error);
  }
  return result;
}

SaveReportResult SaveToTextFile(HWND owner, ListCommandInput& input,
                                const std::vector<Finding>& rows) {
  SaveReportResult result;
  const std::optional<std::string> chosen = input.questions.chooseReportFile(owner);
  if (!chosen || chosen->empty()) return result;
  result.path = ReportFileName(*chosen);
  if (input.fs.probe(result.path) != PathProbe::NotFound &&
      !input.questions.askYesNo(owner, OverwriteQuestion(result.path), true)) {
    result.end = SaveReportEnd::NotReplaced;
    return result;
  }
  const AtomicWriteResult written =
      WriteFileAtomically(input.fs, result.path, RenderReport(rows).bytes);
  if (written.status == FsStatus::Ok) {
    result.end = SaveReportEnd::Written;
    return result;
  }
  result.end = SaveReportEnd::Failed;
  result.error = WriteFailure(input.fs, result.path);
  input.questions.tellError(owner, result.error);
  return result;
}

bool OpenInRegedit(ListCommandInput& input, const Finding& row) {
  if (row.Kind == FindingKind::fkFile) return false;
  WriteUserRegString(input.registry, kRegeditKey, "LastKey", RegeditKeyText(row));
  return StartRegistryEditor();
}

}  // namespace hs::win32
