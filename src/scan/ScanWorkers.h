#pragma once
// The scan worker threads of one owner (the main window). Stop never waits:
// a stopped worker may still be inside a registry or file call, using the
// backends and texts its owner lent it. So no worker is detached: each is
// kept here, and the owner joins them all before what they use goes
// (JoinAll, or the destructor); finished ones are joined as new ones start.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace hs {

class ScanWorkers {
 public:
  ScanWorkers() = default;
  ScanWorkers(const ScanWorkers&) = delete;
  ScanWorkers& operator=(const ScanWorkers&) = delete;
  ~ScanWorkers() { JoinAll(); }

  // Runs `work` (which must not throw) on a new thread; std::system_error
  // when none can be made.
  void Start(std::function<void()> work);
  // Waits for every worker; afterwards none runs.
  void JoinAll();
  // Workers not yet joined.
  std::size_t Count() const { return m_workers.size(); }

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> ended;
  };
  void JoinEnded();

  std::vector<Worker> m_workers;
};

}  // namespace hs
