#pragma once
// Cooperative stop of a scan. The flag is checked between registry and file
// operations; a set flag unwinds the worker with ScanStopped, which is
// deliberately not a std::exception so that no scanner's error handling
// swallows it.
#include <atomic>

namespace hs {

struct ScanStopped {};

class StopFlag {
 public:
  void Request() { m_requested.store(true, std::memory_order_relaxed); }
  bool Requested() const { return m_requested.load(std::memory_order_relaxed); }
  // Throws ScanStopped once a stop was requested.
  void Check() const {
    if (Requested()) throw ScanStopped{};
  }

 private:
  std::atomic<bool> m_requested{false};
};

}  // namespace hs
