#pragma once
// The scan's modal progress dialog (TfrmRegProgressHint) and the hand-over
// from its worker. The worker never touches a window: it fills a locked batch
// and posts a few messages per task (never one per finding); the dialog
// drains the batch on the GUI thread, in the order things were found.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scan/Finding.h"
#include "scan/ScanContext.h"
#include "scan/ScanHandOver.h"
#include "scan/ScanWorkers.h"

namespace hs {

// Posted by the dialog to itself once it is on screen: starts the worker.
constexpr UINT WM_SCAN_START = 0x2409;
// Posted by the worker to `countsWindow` after each task (wParam: the task
// number). The rows of that task are in the caller's vector by the time the
// message is handled.
constexpr UINT WM_SCAN_TASK_DONE = 0x2413;

struct ScanDialogInput {
  std::vector<std::string> taskList;  // task numbers as decimal strings, in order
  // With the language of the captions and problem texts, which also
  // relabels the dialog. Its texts are read through the program's file
  // system, which lives as long as the process.
  ScanSettings settings;
  // Shared with the worker: a stopped worker may still be finishing its
  // current registry or file call after the dialog has returned.
  std::shared_ptr<RegistryBackend> registry;
  std::shared_ptr<FileSystemBackend> files;
  // Where the worker thread goes: its owner joins it before the backends and
  // the texts' file system go. Null: the dialog joins it before it returns
  // (after a Stop, when the worker's current call ends).
  ScanWorkers* workers = nullptr;
  bool cleanOnce = false;       // the dialog stays hidden (still modal)
  HWND countsWindow = nullptr;  // receives WM_SCAN_TASK_DONE; null: nobody
  // The main window keeps one for its life, so that each scan gets its own
  // id and a stopped scan still finishing cannot reach the next one's rows;
  // null: a hand-over of this scan alone.
  std::shared_ptr<ScanHandOver> handOver;
};

enum class ScanDialogResult : int {
  Completed = IDCANCEL,  // the worker reported the end of its list
  Stopped = IDABORT,     // Stop, or the dialog closed while a task ran (3)
};

// Shows the dialog modally over `owner` and runs the scan. Findings are
// appended to `rows` in the order found (the caller clears it first), only
// on the calling thread. `rowsChanged` tells of appended rows (the virtual
// list sets its count): at most every 250 ms while a task runs, and always
// before a task's WM_SCAN_TASK_DONE is handled and before this returns. No
// row is appended after this returns.
ScanDialogResult RunScanDialog(HWND owner, const ScanDialogInput& in, std::vector<Finding>& rows,
                               const std::function<void()>& rowsChanged);

}  // namespace hs
