#include "scan/BatchingScanSink.h"

#include <utility>

namespace hs {

BatchingScanSink::BatchingScanSink(std::shared_ptr<ScanHandOver> handOver, std::uint64_t scanId,
                                   std::function<void()> wake,
                                   std::function<void(int task)> taskDone,
                                   std::chrono::milliseconds keyInterval, Clock clock)
    : m_handOver(std::move(handOver)),
      m_scanId(scanId),
      m_wake(std::move(wake)),
      m_taskDone(std::move(taskDone)),
      m_keyInterval(keyInterval),
      m_clock(std::move(clock)) {}

void BatchingScanSink::wakeIfNeeded(Handed handed) {
  if (handed == Handed::WakeNeeded && m_wake) m_wake();
}

void BatchingScanSink::AddFinding(const Finding& finding) {
  wakeIfNeeded(m_handOver->AddFinding(m_scanId, finding));
}

void BatchingScanSink::ShowTaskCaption(const std::string& caption) {
  wakeIfNeeded(m_handOver->ShowTaskCaption(m_scanId, caption));
}

void BatchingScanSink::ShowCurrentKey(const std::string& keyPath) {
  const auto now = m_clock();
  if (now - m_lastKeyShown < m_keyInterval) return;
  m_lastKeyShown = now;
  m_handOver->ShowCurrentKey(m_scanId, keyPath);
}

void BatchingScanSink::TaskStarted(int task) {
  wakeIfNeeded(m_handOver->AddEvent(m_scanId, ScanEventKind::TaskStarted, task));
}

// The wake goes out before the counts message, so the GUI, which handles its
// posted messages in order, has taken the task's rows when it counts them.
void BatchingScanSink::TaskEnded(int task) {
  const Handed handed = m_handOver->AddEvent(m_scanId, ScanEventKind::TaskEnded, task);
  if (handed == Handed::Dropped) return;
  wakeIfNeeded(handed);
  if (m_taskDone) m_taskDone(task);
}

void BatchingScanSink::ScanFinished() {
  wakeIfNeeded(m_handOver->AddEvent(m_scanId, ScanEventKind::Finished, 0));
}

}  // namespace hs
