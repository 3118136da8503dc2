#pragma once
// Runs a scan's task list, one task after the other, reporting through the
// context's sink. Contract:
// * Findings reach the sink in the order they were found.
// * An error escaping a scanner ends that task only (TaskFailed, then
//   TaskEnded); the scan goes on with the next task and ends normally.
// * Stop is cooperative: the flag is checked between registry and file
//   operations. Once stopped, the runner reports nothing more (no TaskEnded,
//   no ScanFinished), and no row is ever half-added, so a caller never has to
//   take back the last row after a stop.
// * The existence memo is dropped when the run ends.
#include <string_view>
#include <thread>

#include "scan/ScanContext.h"

namespace hs {

enum class ScanOutcome { Completed, Stopped };

// A task-list entry as a number; text that is not a number gives 0.
int TaskNumberFromText(std::string_view text);

// Runs the whole list on the calling thread.
ScanOutcome RunScanTasks(ScanContext& context);

// The scan worker: runs RunScanTasks on a thread of its own.
class TScanTaskThread {
 public:
  explicit TScanTaskThread(ScanContext& context) : m_context(context) {}
  ~TScanTaskThread();  // stops and waits
  TScanTaskThread(const TScanTaskThread&) = delete;
  TScanTaskThread& operator=(const TScanTaskThread&) = delete;

  void Start();
  // Asks the worker to stop and waits for it; when this returns, the sink
  // hears nothing more from this scan.
  void Stop();
  // Waits for the worker to finish its list (or to stop).
  ScanOutcome Wait();

 private:
  ScanContext& m_context;
  std::thread m_thread;
  ScanOutcome m_outcome = ScanOutcome::Completed;
};

}  // namespace hs
