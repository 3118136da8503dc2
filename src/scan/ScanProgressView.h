#pragma once
// What the progress dialog shows, kept apart from the window so that the
// rules are tested without one: the batch taken from the worker is applied in
// the order it happened (rows, task starts and ends, the end of the scan),
// and the timer creeps the bar while a task runs.
#include <cstdint>
#include <string>
#include <vector>

#include "scan/ScanHandOver.h"

namespace hs {

struct ScanProgressView {
  std::uint64_t scanId = 0;  // the scan this view shows
  int barPosition = 0;       // 0..kProgressMax
  bool taskRunning = false;  // the bar creeps on each tick
  bool finished = false;     // the worker reported the end of its list
  int tasksEnded = 0;        // end-of-task steps applied so far
  std::string caption;
  std::string currentKey;

  // Appends the batch's findings to `rows` in order and follows its events;
  // a batch of another scan changes nothing. Returns the rows appended.
  std::size_t Apply(ScanBatch&& batch, std::vector<Finding>& rows);
  // One tick of the bar's timer.
  void Tick();
};

}  // namespace hs
