#pragma once
// The repair command of the main window (button "Repair registry issues",
// menu "&Repair registry issue", and the clean-once run): the backup-folder
// question, the restore point when the settings ask for it, the engine's
// verified repair, the summary dialog and the beep.
//
// The repair itself runs on a worker thread over a copy of the rows while the
// owner is disabled, shows the wait cursor and keeps painting; `rows` is
// changed only on the calling thread, after the worker has ended, so a
// virtual list that reads `rows` while it paints never sees them move.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/win32/WindowQuestions.h"
#include "repair/WindowRepair.h"

namespace hs {
struct Settings;
class Translation;
}  // namespace hs

namespace hs::win32 {

// What the main window keeps between repairs for its whole life.
struct RepairWindowState {
  // Rows checked but not repaired; the result filter hides them from later scans.
  UnrepairedLists unrepaired;
  // The number of the last restore point made by this window: the system
  // answers with the same number when it skips a new point.
  std::optional<std::int64_t> lastRestorePoint;
};

struct RepairWindowInput {
  RegistryBackend& registry;
  FileSystemBackend& fs;
  // OutputDirectory, RestorePoint, ShowHint (the summary's check box changes
  // it at once), Beep and Lan are read.
  Settings& settings;
  const Translation& translation;
  int windowsVersionCode = 0;
  RepairWindowState& state;
  WindowQuestions questions = WindowQuestions::System();
  // Lists the checked rows not repaired, with why; none in an unattended run.
  std::function<void(HWND owner, const std::vector<NotRepaired>& rows)> showNotRepaired;
};

struct RepairWindowResult {
  RepairEnd end = RepairEnd::Completed;
  int processedCount = 0;
  std::string backupFile;  // "" when no backup file was written
  std::size_t rowsRemoved = 0;
  // Each checked row that was not repaired, with the reason (bottom to top).
  std::vector<NotRepaired> notRepaired;
};

// The command on the window's rows: repaired rows leave `rows`; rows whose
// item the repair kept stay, checked, and only rows whose item is gone leave
// too. After a completed run every row not repaired goes to the state's
// unrepaired lists. The caller refreshes its list and counts afterwards.
RepairWindowResult RepairFromWindow(HWND owner, RepairWindowInput& input,
                                    std::vector<Finding>& rows);

}  // namespace hs::win32
