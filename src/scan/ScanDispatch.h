#pragma once
// Task number -> scanner. One line per task in ScanDispatch.cpp.

namespace hs {

class ScanContext;

using ScannerEntry = void (*)(ScanContext&);

// The scanner of a task, or null for a task that runs none (1, 2, unknown).
ScannerEntry ScannerForTask(int task);

}  // namespace hs
