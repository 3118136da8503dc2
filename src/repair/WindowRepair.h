#pragma once
// The repair command of the main window, step by step: the backup-folder
// question, the restore point, the verified repair, the unrepaired lists, the
// summary and the beep. The window supplies each step that needs it (a
// question, a dialog, the thread the repair runs on); the order and the
// decisions live here.
#include <functional>
#include <string>
#include <vector>

#include "repair/Repair.h"
#include "restore/RestorePointOutcome.h"
#include "translation/Translation.h"

namespace hs {

struct WindowRepairOptions {
  std::string backupFolder;    // option OutputDirectory
  bool restorePoint = false;   // option RestorePoint
  int windowsVersionCode = 0;  // restore points exist on codes 9 to 12
  bool showHint = true;        // option ShowHint, read when the summary is due
  bool beep = false;           // option Beep
  Translation texts;           // the language of the folder question
};

struct WindowRepairSteps {
  // The backup folder is missing: true creates it.
  std::function<bool(const std::string& question)> confirmCreateFolder;
  // Makes the restore point; false ends the command with nothing changed.
  std::function<bool()> makeRestorePoint;
  // Closes the restore point the step above opened, once the repair is over
  // (also when it stopped or threw); unset or without an open point: nothing.
  std::function<void(RestorePointClose how)> closeRestorePoint;
  // Runs the verified repair on the rows (the window runs it off its own
  // thread); the folder exists and the restore point is done.
  std::function<RepairOutcome(std::vector<Finding>& rows)> repair;
  std::function<void(int processedCount)> showSummary;
  // After the summary, when checked rows were not repaired: each with why.
  std::function<void(const std::vector<NotRepaired>& rows)> showNotRepaired;
  std::function<void()> beep;
  // The repair stopped (backup folder or file not writable): the reason.
  std::function<void(const std::string& message)> showError;
};

// Whether the restore-point step runs for these options.
bool WantsRestorePoint(const WindowRepairOptions& options);

// The command. Rows repaired leave `rows`; after a completed run the rows
// that could not be repaired leave it too and go to `unrepaired`, and the
// summary and the beep follow as the options say. A run that stopped shows
// its error instead and leaves the rows not repaired checked in the list.
RepairOutcome RunWindowRepair(FileSystemBackend& fs, const WindowRepairOptions& options,
                              const WindowRepairSteps& steps, std::vector<Finding>& rows,
                              UnrepairedLists& unrepaired);

// The items a finished run deleted: the checked rows it was given less those
// it reports not repaired.
std::size_t DeletedCount(std::size_t checkedRows, const RepairOutcome& outcome);

// The engine's repair for the window: a run into `folder` (which exists)
// with no questions of its own.
RepairOutcome RepairIntoFolder(RegistryBackend& registry, FileSystemBackend& fs,
                               const std::string& folder, std::vector<Finding>& rows);

}  // namespace hs
