#pragma once
// The scan sink of a window: reports go into the scan's hand-over batch, and
// the GUI is woken through `wake` only when nothing is already waiting for it.
// After each task `taskDone` runs once (the window's counts). The current key
// is handed over at most once per interval, so a walk of hundreds of
// thousands of keys costs a clock read per key, not a lock and a copy.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "scan/ScanHandOver.h"
#include "scan/ScanSink.h"

namespace hs {

class BatchingScanSink : public ScanSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  BatchingScanSink(std::shared_ptr<ScanHandOver> handOver, std::uint64_t scanId,
                   std::function<void()> wake, std::function<void(int task)> taskDone,
                   std::chrono::milliseconds keyInterval = std::chrono::milliseconds(100),
                   Clock clock = std::chrono::steady_clock::now);

  void AddFinding(const Finding& finding) override;
  void ShowTaskCaption(const std::string& caption) override;
  void ShowCurrentKey(const std::string& keyPath) override;
  void TaskStarted(int task) override;
  void TaskEnded(int task) override;
  // A scan shows no messages; the task's end follows as usual.
  void TaskFailed(int, const std::string&) override {}
  void ScanFinished() override;

 private:
  void wakeIfNeeded(Handed handed);

  std::shared_ptr<ScanHandOver> m_handOver;
  std::uint64_t m_scanId;
  std::function<void()> m_wake;
  std::function<void(int)> m_taskDone;
  std::chrono::milliseconds m_keyInterval;
  Clock m_clock;
  std::chrono::steady_clock::time_point m_lastKeyShown{};
};

}  // namespace hs
