#include "scan/ScanProgressView.h"

#include <iterator>

#include "scan/ProgressStep.h"

namespace hs {
namespace {

void AppendRows(std::vector<Finding>& from, std::size_t& next, std::size_t end,
                std::vector<Finding>& rows) {
  if (end <= next) return;
  rows.insert(rows.end(), std::make_move_iterator(from.begin() + static_cast<std::ptrdiff_t>(next)),
              std::make_move_iterator(from.begin() + static_cast<std::ptrdiff_t>(end)));
  next = end;
}

}  // namespace

std::size_t ScanProgressView::Apply(ScanBatch&& batch, std::vector<Finding>& rows) {
  if (batch.scanId == 0 || batch.scanId != scanId) return 0;
  std::size_t next = 0;
  for (const ScanEvent& event : batch.events) {
    AppendRows(batch.findings, next, event.findingsBefore, rows);
    switch (event.kind) {
      case ScanEventKind::TaskStarted:
        barPosition = 0;
        taskRunning = true;
        break;
      case ScanEventKind::TaskEnded:
        barPosition = kProgressMax;
        taskRunning = false;
        ++tasksEnded;
        break;
      case ScanEventKind::Finished:
        finished = true;
        break;
    }
  }
  AppendRows(batch.findings, next, batch.findings.size(), rows);
  if (batch.caption) caption = std::move(*batch.caption);
  if (batch.currentKey) currentKey = std::move(*batch.currentKey);
  return next;
}

void ScanProgressView::Tick() {
  if (taskRunning) barPosition = NextProgressPosition(barPosition);
}

}  // namespace hs
