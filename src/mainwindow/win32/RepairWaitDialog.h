#pragma once
// The engine's repair run off the window's thread. A short repair is simply
// waited for; one that takes longer than a moment shows "Repair registry
// issues" with a moving bar, modal over the owner (so the owner keeps
// painting and takes no input) until the worker has ended. The worker works
// on a copy of the rows and never touches a window.
#include <windows.h>

#include <string>
#include <vector>

#include "repair/WindowRepair.h"

namespace hs::win32 {

// How long the repair runs before the wait dialog appears.
inline constexpr DWORD kRepairWaitDialogDelayMs = 300;

// RepairIntoFolder on a worker thread; `rows` gets the worker's rows back
// after it has ended. An aborted run's error carries the system's reason.
RepairOutcome RepairOffWindowThread(HWND owner, RegistryBackend& registry, FileSystemBackend& fs,
                                    const std::string& folder, std::vector<Finding>& rows);

}  // namespace hs::win32
