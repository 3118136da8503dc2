#pragma once
// Where a running scan reports. The worker calls these on its own thread, in
// the order things happen; an implementation that shows them in a window hands
// them over to its GUI thread keeping that order.
#include <string>

#include "scan/Finding.h"

namespace hs {

class ScanSink {
 public:
  virtual ~ScanSink() = default;

  // One new row at the end of the findings list, unchecked.
  virtual void AddFinding(const Finding& finding) = 0;
  // The same row, given to a sink that may keep it without copying it (a
  // finding-dense scan makes tens of thousands).
  virtual void TakeFinding(Finding&& finding) { AddFinding(finding); }
  virtual void ShowTaskCaption(const std::string& caption) = 0;
  // The key being examined (relative or full, as each scanner chooses).
  virtual void ShowCurrentKey(const std::string& keyPath) = 0;

  // Start-of-task step: progress bar to 0, animation on.
  virtual void TaskStarted(int task) = 0;
  // End-of-task step: animation off, bar full, counts refreshed. Not called
  // for a task that was stopped.
  virtual void TaskEnded(int task) = 0;
  // An error escaped the task's scanner; the task ends here (TaskEnded still
  // follows) and the scan goes on with the next task.
  virtual void TaskFailed(int task, const std::string& message) = 0;
  // After the last task of a scan that was not stopped.
  virtual void ScanFinished() = 0;
};

// A sink that ignores everything; derive from it to hear only some events.
class NullScanSink : public ScanSink {
 public:
  void AddFinding(const Finding&) override {}
  void ShowTaskCaption(const std::string&) override {}
  void ShowCurrentKey(const std::string&) override {}
  void TaskStarted(int) override {}
  void TaskEnded(int) override {}
  void TaskFailed(int, const std::string&) override {}
  void ScanFinished() override {}
};

}  // namespace hs
