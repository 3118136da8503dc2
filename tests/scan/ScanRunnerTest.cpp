#include <atomic>
#include <chrono>
#include <thread>

#include "scan/ProgressStep.h"
#include "scan/ScanDrives.h"
#include "scan/ScanTaskRunner.h"
#include "scan/ScanTestSupport.h"

namespace hs {
namespace {

using test::RecordingSink;
using test::ScanFixture;
using Events = std::vector<std::string>;

TEST(TaskNumberFromText, ReadsDecimalNumbersAndGivesZeroForAnythingElse) {
  const std::pair<const char*, int> cases[] = {
      {"3", 3},   {"22", 22}, {"+7", 7}, {"-1", -1},         {"", 0},
      {"abc", 0}, {"3x", 0},  {" 3", 0}, {"99999999999", 0}, {"0", 0},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(TaskNumberFromText(text), number) << text;
}

TEST(ProgressStep, CreepsWithShrinkingStepsAndStopsAt999) {
  const std::pair<int, int> steps[] = {{0, 10},    {200, 210}, {201, 206}, {400, 405},
                                       {401, 404}, {700, 703}, {701, 703}, {800, 802},
                                       {801, 802}, {998, 999}, {999, 999}, {1000, 1000}};
  for (const auto& [from, to] : steps) EXPECT_EQ(NextProgressPosition(from), to) << from;
  int position = 0;
  int ticks = 0;
  while (position < 999) {
    position = NextProgressPosition(position);
    ++ticks;
  }
  EXPECT_EQ(ticks, 406);
  EXPECT_EQ(NextProgressPosition(position), 999);
}

TEST(ScanDrives, FollowDriveTypesAndTheMediaSettings) {
  MemoryFileSystem files;
  files.setDriveType('d', DriveType::CdRom);
  files.setDriveType('e', DriveType::Removable);
  files.setDriveType('f', DriveType::Remote);
  files.setDriveType('z', DriveType::Fixed);
  struct Case {
    bool removable, cd;
    const char* expected;
  };
  const Case cases[] = {
      {false, false, "cz"},
      {false, true, "cdz"},
      {true, false, "abcefghijklmnopqrstuvwxyz"},
      {true, true, "abcddefghijklmnopqrstuvwxyz"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BuildScanDrives(files, c.removable, c.cd), c.expected) << c.removable << c.cd;
}

TEST(ScanDrives, FloppiesAreTestedOnlyWithRemovableMedia) {
  MemoryFileSystem files;
  files.setDriveType('a', DriveType::Removable);
  files.setDriveType('b', DriveType::Removable);
  files.setVolumeReady('b', false);
  const DriveFlags on = MakeDriveFlags(files, true, false, true);
  EXPECT_TRUE(on.FloppyAReady);
  EXPECT_FALSE(on.FloppyBReady);
  EXPECT_TRUE(on.RunsOnWow64);
  const DriveFlags off = MakeDriveFlags(files, false, false, false);
  EXPECT_FALSE(off.FloppyAReady);
  EXPECT_EQ(off.ScanDrives, "c");
}

class ScanRunnerTest : public ScanFixture {};

TEST_F(ScanRunnerTest, TasksWithoutScannerStillGoThroughTheirSteps) {
  Scan({"1", "2", "abc", "24"});
  EXPECT_EQ(sink.events, (Events{"start 1", "end 1", "start 2", "end 2", "start 0", "end 0",
                                 "start 24", "end 24", "finished"}));
}

TEST_F(ScanRunnerTest, AnEmptyListFinishesAtOnce) {
  Scan({});
  EXPECT_EQ(sink.events, (Events{"finished"}));
}

TEST_F(ScanRunnerTest, AnErrorEndsItsTaskOnlyAndTheScanGoesOn) {
  // A shared-library count stored in two bytes cannot be read as a number.
  Load(
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls]\n"
      "\"C:\\\\gone1.dll\"=dword:00000001\n"
      "\"C:\\\\odd.dll\"=hex(4):01,00\n"
      "\"C:\\\\gone2.dll\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
      "\"Gone\"=\"C:\\\\gone.exe\"\n");
  Scan({"9", "10"});
  EXPECT_EQ(sink.events, (Events{"start 9", "finding", "failed 9", "end 9", "start 10", "finding",
                                 "end 10", "finished"}));
  ASSERT_EQ(sink.findings.size(), 2u);
  EXPECT_EQ(sink.findings[0].ValueText, "C:\\gone1.dll");
  EXPECT_EQ(sink.findings[0].Task, 9);
  EXPECT_EQ(sink.findings[1].Task, 10);
}

TEST_F(ScanRunnerTest, TheMemoLivesForOneScan) {
  Load(
      "[HKEY_CURRENT_USER\\Software\\A]\n\"x\"=\"C:\\\\Gone\\\\a.exe\"\n"
      "[HKEY_CURRENT_USER\\Software\\B]\n\"y\"=\"C:\\\\Gone\\\\a.exe\"\n");
  ScanContext& scan = Context({"4", "4"});
  const std::uint64_t before = files.probeCount();
  RunScanTasks(scan);
  const std::uint64_t twoTasks = files.probeCount() - before;
  EXPECT_EQ(scan.Memo.Size(), 0u) << "dropped at scan end";
  EXPECT_EQ(scan.Memo.Queries(), twoTasks) << "every probe went through the memo";
  EXPECT_EQ(sink.findings.size(), 4u);
  RunScanTasks(Context({"4"}));
  EXPECT_EQ(files.probeCount() - before - twoTasks, twoTasks) << "a new scan asks again";
}

// Stops the scan from inside the sink when the n-th finding arrives.
class StoppingSink : public RecordingSink {
 public:
  StopFlag* stop = nullptr;
  std::size_t stopAt = 1;
  void AddFinding(const Finding& finding) override {
    RecordingSink::AddFinding(finding);
    if (findings.size() == stopAt) stop->Request();
  }
};

TEST_F(ScanRunnerTest, AStoppedScanReportsNothingMore) {
  std::string body = "[HKEY_CURRENT_USER\\Software\\Many]\n";
  for (int i = 0; i < 50; ++i) body += "\"v" + std::to_string(i) + "\"=\"C:\\\\Gone\\\\x.exe\"\n";
  Load(body);
  StoppingSink stopping;
  ScanContext scan(registry, files, stopping, settings, {"4", "5"});
  stopping.stop = &scan.Stop;
  stopping.stopAt = 3;
  EXPECT_EQ(RunScanTasks(scan), ScanOutcome::Stopped);
  EXPECT_EQ(stopping.findings.size(), 3u);
  EXPECT_EQ(stopping.events.back(), "finding") << "no end step, no finish after a stop";
}

// Counts keys shown, so that the test can stop the worker mid-walk.
class CountingSink : public NullScanSink {
 public:
  std::atomic<int> keys{0};
  std::atomic<int> findings{0};
  std::atomic<bool> finished{false};
  void ShowCurrentKey(const std::string&) override { ++keys; }
  void AddFinding(const Finding&) override { ++findings; }
  void ScanFinished() override { finished = true; }
};

TEST_F(ScanRunnerTest, TheWorkerStopsPromptlyAndAddsNothingAfterStopReturned) {
  std::string body;
  for (int i = 0; i < 3000; ++i)
    body += "[HKEY_CURRENT_USER\\Software\\K" + std::to_string(i) + "]\n\"v\"=\"C:\\\\G" +
            std::to_string(i) + "\\\\x.exe\"\n";
  Load(body);
  CountingSink counting;
  ScanContext scan(registry, files, counting, settings, {"4", "4", "4", "4", "4"});
  TScanTaskThread worker(scan);
  worker.Start();
  while (counting.keys.load() < 100) std::this_thread::yield();
  worker.Stop();
  const int afterStop = counting.findings.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(counting.findings.load(), afterStop);
  EXPECT_FALSE(counting.finished.load());
  EXPECT_EQ(worker.Wait(), ScanOutcome::Stopped);
  EXPECT_LT(afterStop, 5 * 3000);
}

TEST_F(ScanRunnerTest, TheWorkerRunsTheWholeListWhenNotStopped) {
  Load("[HKEY_CURRENT_USER\\Software\\A]\n\"x\"=\"C:\\\\Gone\\\\a.exe\"\n");
  ScanContext scan(registry, files, sink, settings, {"4", "1"});
  TScanTaskThread worker(scan);
  worker.Start();
  EXPECT_EQ(worker.Wait(), ScanOutcome::Completed);
  EXPECT_EQ(sink.events, (Events{"start 4", "finding", "end 4", "start 1", "end 1", "finished"}));
}

}  // namespace
}  // namespace hs
