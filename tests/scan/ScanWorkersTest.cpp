// The scan workers' lifetime as the window sees it: a stopped worker still
// finishing its call is joined before what its owner lent it goes. Also
// built with AddressSanitizer (hivesweep-lifetime-asan), where a worker
// touching the lent object after it was freed is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "scan/ScanHandOver.h"
#include "scan/ScanStop.h"
#include "scan/ScanWorkers.h"

namespace hs {
namespace {

using namespace std::chrono_literals;

// Stands for the machine the window lends its scan: a slow call that uses it.
struct LentMachine {
  std::vector<int> checks = std::vector<int>(16, 0);
  void SlowCheck() {
    std::this_thread::sleep_for(50ms);
    ++checks[0];
  }
};

bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 2000 && !flag; ++i) std::this_thread::sleep_for(10ms);
  return flag;
}

TEST(ScanWorkersTest, AStoppedWorkerIsJoinedBeforeWhatItWasLentGoes) {
  auto machine = std::make_unique<LentMachine>();
  auto handOver = std::make_shared<ScanHandOver>();
  std::atomic<bool> inside{false};
  std::atomic<bool> finished{false};
  {
    ScanWorkers workers;
    const std::uint64_t id = handOver->BeginScan();
    auto stop = std::make_shared<StopFlag>();
    LentMachine& lent = *machine;
    workers.Start([&lent, stop, handOver, id, &inside, &finished] {
      while (!stop->Requested()) {
        inside = true;
        lent.SlowCheck();  // the call in flight when Stop comes ends first
        handOver->AddFinding(id, Finding{"p", "HKEY_CURRENT_USER\\A", "", FindingKind::fkKey});
      }
      finished = true;
    });
    ASSERT_TRUE(WaitFor(inside));
    stop->Request();  // what Stop does: no wait, the scan is no longer current
    handOver->EndScan(id);
    EXPECT_EQ(handOver->Take().findings.size(), 0u);
  }  // the owner goes: its workers first
  EXPECT_TRUE(finished);
  machine.reset();
}

TEST(ScanWorkersTest, EndedWorkersAreJoinedAsNewOnesStart) {
  ScanWorkers workers;
  std::atomic<bool> done{false};
  workers.Start([&done] { done = true; });
  ASSERT_TRUE(WaitFor(done));
  std::this_thread::sleep_for(50ms);  // the thread sets its end after the work
  std::atomic<bool> release{false};
  workers.Start([&release] { WaitFor(release); });
  EXPECT_EQ(workers.Count(), 1u);
  release = true;
  workers.JoinAll();
  EXPECT_EQ(workers.Count(), 0u);
}

}  // namespace
}  // namespace hs
