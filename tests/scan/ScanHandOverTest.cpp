#include "scan/BatchingScanSink.h"
#include "scan/ProgressStep.h"
#include "scan/ScanProgressView.h"
#include "scan/ScanTestSupport.h"  // Rows

namespace hs {
namespace {

using test::Rows;

Finding Row(const std::string& key) {
  Finding finding;
  finding.KeyPath = key;
  return finding;
}

class ScanHandOverTest : public ::testing::Test {
 protected:
  std::shared_ptr<ScanHandOver> handOver = std::make_shared<ScanHandOver>();
};

TEST_F(ScanHandOverTest, EventsFallBetweenTheRowsTheyCameBetween) {
  const std::uint64_t id = handOver->BeginScan();
  std::vector<std::string> calls;
  BatchingScanSink sink(
      handOver, id, [&] { calls.push_back("wake"); },
      [&](int task) { calls.push_back("done " + std::to_string(task)); });
  sink.TaskStarted(3);
  sink.AddFinding(Row("a"));
  sink.ShowTaskCaption("Scanning HKLM");
  ScanProgressView view;
  view.scanId = id;
  std::vector<Finding> rows;
  view.Apply(handOver->Take(), rows);
  for (int tick = 0; tick < 3; ++tick) view.Tick();
  EXPECT_EQ(view.barPosition, 30) << "creeps while the task runs";
  EXPECT_EQ(view.caption, "Scanning HKLM");

  sink.AddFinding(Row("b"));
  sink.TaskEnded(3);
  sink.TaskStarted(4);
  sink.AddFinding(Row("c"));
  sink.TaskEnded(4);
  EXPECT_EQ(calls, (std::vector<std::string>{"wake", "wake", "done 3", "done 4"}))
      << "one wake per take; the counts message after the wake";
  // Stop the view in the middle: the rows of task 3 and the end of task 3.
  ScanBatch batch = handOver->Take();
  ASSERT_EQ(batch.events.size(), 3u);
  EXPECT_EQ(batch.events[0].findingsBefore, 1u);
  EXPECT_EQ(batch.events[2].findingsBefore, 2u);
  EXPECT_EQ(view.Apply(std::move(batch), rows), 2u);
  EXPECT_EQ(Rows(rows), (std::vector<std::string>{"0|a|", "0|b|", "0|c|"}));
  EXPECT_EQ(view.barPosition, kProgressMax);
  view.Tick();
  EXPECT_EQ(view.barPosition, kProgressMax) << "no creeping between tasks";
}

// A stopped scan may still be inside a registry call; what it reports after
// the next scan began (or after its dialog ended) never reaches any rows.
TEST_F(ScanHandOverTest, LateReportsOfAnOldScanAreDropped) {
  const std::uint64_t first = handOver->BeginScan();
  int doneCalls = 0;
  BatchingScanSink old(handOver, first, nullptr, [&](int) { ++doneCalls; });
  old.AddFinding(Row("old-before"));
  const ScanBatch oldBatch = handOver->Take();

  const std::uint64_t second = handOver->BeginScan();
  EXPECT_NE(second, first);
  BatchingScanSink current(handOver, second, nullptr, nullptr);
  old.AddFinding(Row("old-late"));
  old.TaskEnded(5);
  current.AddFinding(Row("new"));
  ScanProgressView view;
  view.scanId = second;
  std::vector<Finding> rows;
  ScanBatch stale = oldBatch;
  EXPECT_EQ(view.Apply(std::move(stale), rows), 0u) << "a batch taken for the old scan";
  view.Apply(handOver->Take(), rows);
  EXPECT_EQ(Rows(rows), (std::vector<std::string>{"0|new|"}));
  EXPECT_EQ(doneCalls, 0) << "no counts message for a dropped task end";

  handOver->EndScan(second);
  current.AddFinding(Row("after-end"));
  EXPECT_TRUE(handOver->Take().findings.empty());
}

TEST(BatchingScanSink, HandsOverTheCurrentKeyAtMostOncePerInterval) {
  auto handOver = std::make_shared<ScanHandOver>();
  const std::uint64_t id = handOver->BeginScan();
  std::chrono::steady_clock::time_point now{std::chrono::seconds(10)};
  BatchingScanSink sink(handOver, id, nullptr, nullptr, std::chrono::milliseconds(100),
                        [&] { return now; });
  sink.ShowCurrentKey("k1");
  now += std::chrono::milliseconds(50);
  sink.ShowCurrentKey("k2");
  EXPECT_EQ(handOver->Take().currentKey, "k1");
  now += std::chrono::milliseconds(50);
  sink.ShowCurrentKey("k3");
  EXPECT_EQ(handOver->Take().currentKey, "k3");
}

}  // namespace
}  // namespace hs
