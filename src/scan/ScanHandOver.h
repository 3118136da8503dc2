#pragma once
// The locked batch between a scan worker and the GUI thread that shows it.
// The worker adds findings, captions, the current key and task events; the
// GUI takes everything pending in one step and applies it in order. Each scan
// has an id: whatever a worker reports under an id that is not the current
// scan's (a stopped scan still finishing its last call) is dropped.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "scan/Finding.h"

namespace hs {

enum class ScanEventKind { TaskStarted, TaskEnded, Finished };

struct ScanEvent {
  ScanEventKind kind = ScanEventKind::TaskStarted;
  int task = 0;
  // How many of the batch's findings were reported before this event.
  std::size_t findingsBefore = 0;
};

// What became of one report of the worker.
enum class Handed {
  Dropped,     // not the current scan's
  Queued,      // kept; a wake is already on its way to the GUI
  WakeNeeded,  // kept; the caller wakes the GUI (at most one wake outstanding)
};

struct ScanBatch {
  std::uint64_t scanId = 0;
  std::vector<Finding> findings;          // in the order found
  std::vector<ScanEvent> events;          // in order, placed among the findings
  std::optional<std::string> caption;     // the latest, when one came
  std::optional<std::string> currentKey;  // the latest, when one came
};

class ScanHandOver {
 public:
  // A new scan: its id, and nothing pending of any earlier one.
  std::uint64_t BeginScan();
  // The scan `scanId` is over for the GUI: its later reports are dropped.
  void EndScan(std::uint64_t scanId);

  // Worker side. A wake is asked for only when none is outstanding: the next
  // comes after the GUI's Take, so a fast scan never floods a message queue.
  Handed AddFinding(std::uint64_t scanId, const Finding& finding);
  Handed AddEvent(std::uint64_t scanId, ScanEventKind kind, int task);
  Handed ShowTaskCaption(std::uint64_t scanId, const std::string& caption);
  // Needs no wake: the GUI shows it on its next timer tick.
  void ShowCurrentKey(std::uint64_t scanId, const std::string& keyPath);

  // GUI side: everything pending of the current scan, in order; empty with
  // id 0 when no scan is current.
  ScanBatch Take();

 private:
  // Under the lock: whether `scanId` may report, and whether to wake.
  bool accepts(std::uint64_t scanId) const { return scanId != 0 && scanId == m_current; }
  Handed claimWake();

  std::mutex m_mutex;
  std::uint64_t m_lastId = 0;
  std::uint64_t m_current = 0;
  ScanBatch m_pending;
  bool m_wakeOutstanding = false;
};

}  // namespace hs
