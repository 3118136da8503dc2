#include <gtest/gtest.h>

#include "cli/ScanCommand.h"
#include "cli/ScanProgress.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"

namespace hs {
namespace {

using namespace std::chrono_literals;

TEST(ScanProgress, NewTasksShowAtOnceRowsAtMostOncePerIntervalAndTheLastStateAtTheEnd) {
  std::vector<std::string> writes;
  std::chrono::steady_clock::time_point now{};
  ScanProgress progress([&](const std::string& text) { writes.push_back(text); }, 2, 200ms,
                        [&] { return now; });
  progress.Finish();
  EXPECT_TRUE(writes.empty());  // nothing shown, nothing to end

  progress.TaskStarted(7);
  progress.ShowTaskCaption("Scanning Windows Fonts...");
  for (int i = 0; i < 5000; ++i) progress.AddFinding(Finding{});
  now += 250ms;
  progress.AddFinding(Finding{});
  progress.TaskStarted(9);
  progress.ShowTaskCaption("Scanning DLLs...");
  progress.AddFinding(Finding{});
  progress.Finish();

  const std::vector<std::string> expected = {
      "\r[1/2] task 7 0 rows found",
      "\r[1/2] Scanning Windows Fonts... 0 rows found",
      "\r[1/2] Scanning Windows Fonts... 5001 rows found",
      "\r[2/2] task 9 5001 rows found" + std::string(19, ' '),  // wipes the longer line
      "\r[2/2] Scanning DLLs... 5001 rows found",
      "\r[2/2] Scanning DLLs... 5002 rows found",
      "\n"};
  EXPECT_EQ(writes, expected);
}

TEST(ScanProgress, TheConsoleScanTellsItsObserverEveryTaskAndRow) {
  MemoryRegistry registry;
  MemoryFileSystem files;
  RegFileError error;
  ASSERT_TRUE(
      ImportRegText(registry,
                    "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\V]\n\"a\"=\"C:\\\\Gone\\\\a.exe\"\n"
                    "\"b\"=\"C:\\\\Gone\\\\b.exe\"\n",
                    error));
  std::string last;
  ScanProgress progress([&](const std::string& text) { last = text; }, 2, 0ms);
  const ScanCommandResult result = RunScanCommand(
      registry, files, ScanSettings{}, Settings::Defaults("C:\\P\\"), {"4", "7"}, &progress);
  EXPECT_EQ(result.findings.size(), 2u);
  EXPECT_EQ(last, "\r[2/2] Scanning Windows Fonts... 2 rows found");
}

}  // namespace
}  // namespace hs
