#include "scan/ScanHandOver.h"

#include <utility>

namespace hs {

std::uint64_t ScanHandOver::BeginScan() {
  std::lock_guard lock(m_mutex);
  m_current = ++m_lastId;
  m_pending = ScanBatch{};
  m_wakeOutstanding = false;
  return m_current;
}

void ScanHandOver::EndScan(std::uint64_t scanId) {
  std::lock_guard lock(m_mutex);
  if (scanId != m_current) return;
  m_current = 0;
  m_pending = ScanBatch{};
  m_wakeOutstanding = false;
}

Handed ScanHandOver::claimWake() {
  return std::exchange(m_wakeOutstanding, true) ? Handed::Queued : Handed::WakeNeeded;
}

Handed ScanHandOver::AddFinding(std::uint64_t scanId, const Finding& finding) {
  std::lock_guard lock(m_mutex);
  if (!accepts(scanId)) return Handed::Dropped;
  m_pending.findings.push_back(finding);
  return claimWake();
}

Handed ScanHandOver::AddEvent(std::uint64_t scanId, ScanEventKind kind, int task) {
  std::lock_guard lock(m_mutex);
  if (!accepts(scanId)) return Handed::Dropped;
  m_pending.events.push_back(ScanEvent{kind, task, m_pending.findings.size()});
  return claimWake();
}

Handed ScanHandOver::ShowTaskCaption(std::uint64_t scanId, const std::string& caption) {
  std::lock_guard lock(m_mutex);
  if (!accepts(scanId)) return Handed::Dropped;
  m_pending.caption = caption;
  return claimWake();
}

void ScanHandOver::ShowCurrentKey(std::uint64_t scanId, const std::string& keyPath) {
  std::lock_guard lock(m_mutex);
  if (accepts(scanId)) m_pending.currentKey = keyPath;
}

ScanBatch ScanHandOver::Take() {
  std::lock_guard lock(m_mutex);
  ScanBatch batch = std::exchange(m_pending, ScanBatch{});
  batch.scanId = m_current;
  m_wakeOutstanding = false;
  return batch;
}

}  // namespace hs
