#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/ScanCommandSteps.h"

namespace hs::ui {
namespace {

Finding Row(const std::string& key, const std::string& value) {
  Finding row;
  row.Problem = "P";
  row.KeyPath = key;
  row.ValueText = value;
  return row;
}

// Stands in for the window: its progress dialog appends the rows a scan finds.
struct RecordingHost : ScanCommandHost {
  std::vector<Finding>* rows = nullptr;
  std::vector<Finding> found;
  bool failInDialog = false;
  std::vector<std::vector<std::string>> dialogs;
  std::string calls;

  void ResetKeyAndValueColumns() override { calls += "reset "; }
  void RunProgressDialog(const std::vector<std::string>& tasks) override {
    dialogs.push_back(tasks);
    rows->insert(rows->end(), found.begin(), found.end());
    if (failInDialog) throw std::runtime_error("scan failed");
  }
  void FitColumns(bool anyRows) override { calls += anyRows ? "fit " : "widen "; }
  void RefreshCounts() override { calls += "counts "; }
  void Beep() override { calls += "beep "; }
};

struct ScanCommandStepsTest : ::testing::Test {
  std::vector<std::string> ignoreValues, ignoreKeys{"HKEY_CURRENT_USER\\Software\\Kept"};
  UnrepairedLists unrepaired;
  std::vector<Finding> rows;
  RecordingHost host;
  SectionTree tree;
  void SetUp() override { host.rows = &rows; }
  ScanFilterInputs Filter(bool beep) {
    return {ignoreValues, ignoreKeys, unrepaired, {kPlatformWin32Nt, 6, 1}, beep};
  }
};

TEST_F(ScanCommandStepsTest, NothingCheckedLeavesTheOldRowsAndShowsNoDialog) {
  rows = {Row("HKEY_CURRENT_USER\\Old", "")};
  tree.ClickStateIcon(0);
  EXPECT_FALSE(ScanRegistry(tree, rows, Filter(true), host));
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(host.calls, "");
}

TEST_F(ScanCommandStepsTest, ScanChecksEveryRowThenFiltersThenCountsAndBeeps) {
  rows = {Row("HKEY_CURRENT_USER\\Old", "")};
  unrepaired.Add("HKEY_CURRENT_USER\\Failed", "v");
  host.found = {Row("HKEY_CURRENT_USER\\A", "x"),
                Row("HKEY_CURRENT_USER\\Software\\Kept\\B", ""),
                Row("HKEY_CURRENT_USER\\Failed", "v"),
                Row("HKEY_USERS\\%USERNAME%_x", ""),
                Row("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PowerShell\\1\\PowerShellEngine", ""),
                Row("HKEY_CURRENT_USER\\C", "y")};
  EXPECT_TRUE(ScanRegistry(tree, rows, Filter(true), host));
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0].size(), 22u);
  ASSERT_EQ(rows.size(), 2u);  // the old row is gone, the excluded ones too
  EXPECT_EQ(rows[0].KeyPath, "HKEY_CURRENT_USER\\A");
  EXPECT_EQ(rows[1].KeyPath, "HKEY_CURRENT_USER\\C");
  EXPECT_TRUE(rows[0].Checked && rows[1].Checked);
  EXPECT_EQ(host.calls, "counts fit counts beep ");
}

TEST_F(ScanCommandStepsTest, RootOnlyRunsOneEmptyTaskAndAFailureKeepsWhatWasFound) {
  SectionCheckFlags flags{};
  flags[1] = true;
  std::vector<std::string> unused;
  tree.WalkTree(0, WalkTreeMode::LoadChecks, flags, unused);
  host.found = {Row("HKEY_CURRENT_USER\\A", "x")};
  host.failInDialog = true;
  EXPECT_TRUE(ScanRegistry(tree, rows, Filter(true), host));
  EXPECT_EQ(host.dialogs, (std::vector<std::vector<std::string>>{{"1"}}));
  EXPECT_EQ(host.calls, "reset ");  // the list was empty; no beep after a failure
  ASSERT_EQ(rows.size(), 1u);
}

}  // namespace
}  // namespace hs::ui
