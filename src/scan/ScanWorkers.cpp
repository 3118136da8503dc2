#include "scan/ScanWorkers.h"

#include <algorithm>
#include <utility>

namespace hs {

void ScanWorkers::Start(std::function<void()> work) {
  JoinEnded();
  auto ended = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([work = std::move(work), ended] {
    // The flag is set however the work ends, so the thread is joined early.
    struct Flag {
      std::atomic<bool>& ended;
      ~Flag() { ended = true; }
    } flag{*ended};
    work();
  });
  m_workers.push_back({std::move(thread), std::move(ended)});
}

void ScanWorkers::JoinAll() {
  for (Worker& worker : m_workers)
    if (worker.thread.joinable()) worker.thread.join();
  m_workers.clear();
}

void ScanWorkers::JoinEnded() {
  const auto ended = std::stable_partition(m_workers.begin(), m_workers.end(),
                                           [](const Worker& worker) { return !*worker.ended; });
  for (auto it = ended; it != m_workers.end(); ++it)
    if (it->thread.joinable()) it->thread.join();
  m_workers.erase(ended, m_workers.end());
}

}  // namespace hs
