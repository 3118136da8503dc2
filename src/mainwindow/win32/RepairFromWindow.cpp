#include "mainwindow/win32/RepairFromWindow.h"

#include "mainwindow/win32/RepairWaitDialog.h"
#include "mainwindow/win32/ShowHintDialog.h"
#include "mainwindow/win32/SystemPointDialog.h"
#include "settings/Settings.h"
#include "settings/Translation.h"

namespace hs::win32 {

namespace {

bool MakeRestorePoint(HWND owner, RepairWindowInput& input) {
  SystemPointInput point{input.fs, input.translation, input.settings.Lan,
                         input.state.lastRestorePoint, input.questions};
  const SystemPointOutput output = SystemPointDialog(owner, point);
  if (output.created) input.state.lastRestorePoint = output.sequenceNumber;
  return output.goOn;
}

void ShowSummary(HWND owner, RepairWindowInput& input, int processedCount) {
  const ShowHintInput hint{processedCount, input.fs, input.translation, input.settings.Lan,
                           input.settings.ShowHint};
  input.settings.ShowHint = ShowHintDialog(owner, hint).showHint;
}

WindowRepairSteps StepsFor(HWND owner, RepairWindowInput& input,
                           const WindowRepairOptions& options) {
  WindowRepairSteps steps;
  steps.confirmCreateFolder = [owner, &input](const std::string& question) {
    return input.questions.askYesNo(owner, question, false);
  };
  steps.makeRestorePoint = [owner, &input] { return MakeRestorePoint(owner, input); };
  steps.repair = [owner, &input, folder = options.backupFolder](std::vector<Finding>& rows) {
    return RepairOffWindowThread(owner, input.registry, input.fs, folder, rows);
  };
  steps.showSummary = [owner, &input](int count) { ShowSummary(owner, input, count); };
  steps.showNotRepaired = [owner, &input](const std::vector<NotRepaired>& rows) {
    if (input.showNotRepaired) input.showNotRepaired(owner, rows);
  };
  steps.beep = [] { ::Beep(2047, 500); };
  steps.showError = [owner, &input](const std::string& message) {
    input.questions.tellError(owner, "The repair stopped: " + message);
  };
  return steps;
}

}  // namespace

RepairWindowResult RepairFromWindow(HWND owner, RepairWindowInput& input,
                                    std::vector<Finding>& rows) {
  const Settings& settings = input.settings;
  const WindowRepairOptions options{
      settings.OutputDirectory, settings.RestorePoint, input.windowsVersionCode,
      settings.ShowHint,        settings.Beep,         input.translation};
  const std::size_t before = rows.size();
  RepairOutcome outcome = RunWindowRepair(input.fs, options, StepsFor(owner, input, options), rows,
                                          input.state.unrepaired);
  RepairWindowResult result;
  result.end = outcome.end;
  result.processedCount = outcome.processedCount;
  if (outcome.backupWritten) result.backupFile = outcome.backupFile;
  result.rowsRemoved = before - rows.size();
  result.notRepaired = std::move(outcome.notRepaired);
  return result;
}

}  // namespace hs::win32
