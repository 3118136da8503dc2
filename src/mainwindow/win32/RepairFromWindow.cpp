#include "mainwindow/win32/RepairFromWindow.h"

#include <utility>

#include "mainwindow/win32/RepairWaitDialog.h"
#include "mainwindow/win32/ShowHintDialog.h"
#include "mainwindow/win32/SystemPointDialog.h"
#include "settings/Settings.h"
#include "translation/Translation.h"

namespace hs::win32 {

namespace {

// The restore point opened for this run, until the repair closes it.
using OpenRestorePoint = std::optional<std::int64_t>;

bool MakeRestorePoint(HWND owner, RepairWindowInput& input, OpenRestorePoint& open) {
  SystemPointInput point{input.fs,
                         input.translation,
                         input.settings.Lan,
                         input.state.lastRestorePoint,
                         input.questions,
                         input.restorePoint.request,
                         input.restorePoint.close};
  const SystemPointOutput output = SystemPointDialog(owner, point);
  if (!output.created) return output.goOn;
  input.state.lastRestorePoint = output.sequenceNumber;
  if (output.goOn)
    open = output.sequenceNumber;
  else
    input.restorePoint.close(output.sequenceNumber, RestorePointClose::Cancel);
  return output.goOn;
}

void ShowSummary(HWND owner, RepairWindowInput& input, int processedCount) {
  const ShowHintInput hint{processedCount, input.fs, input.translation, input.settings.Lan,
                           input.settings.ShowHint};
  input.settings.ShowHint = ShowHintDialog(owner, hint).showHint;
}

WindowRepairSteps StepsFor(HWND owner, RepairWindowInput& input, const WindowRepairOptions& options,
                           OpenRestorePoint& open) {
  WindowRepairSteps steps;
  steps.confirmCreateFolder = [owner, &input](const std::string& question) {
    return input.questions.askYesNo(owner, question, false);
  };
  steps.makeRestorePoint = [owner, &input, &open] { return MakeRestorePoint(owner, input, open); };
  steps.closeRestorePoint = [&input, &open](RestorePointClose how) {
    if (open) input.restorePoint.close(*std::exchange(open, std::nullopt), how);
  };
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
  OpenRestorePoint openPoint;
  RepairOutcome outcome = RunWindowRepair(
      input.fs, options, StepsFor(owner, input, options, openPoint), rows, input.state.unrepaired);
  RepairWindowResult result;
  result.end = outcome.end;
  result.processedCount = outcome.processedCount;
  if (outcome.backupWritten) result.backupFile = outcome.backupFile;
  result.rowsRemoved = before - rows.size();
  result.notRepaired = std::move(outcome.notRepaired);
  return result;
}

}  // namespace hs::win32
