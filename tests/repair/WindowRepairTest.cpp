#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"
#include "repair/WindowRepair.h"

namespace hs {
namespace {

constexpr const char* kFolder = "C:\\Backup\\Repairs";

// The window's steps, recorded in order; the repair step answers as told. The
// repair itself runs against Wine's registry in RepairFromWindowTest.
struct Scenario {
  Scenario() {
    fs.addFolder("C:\\Backup");
    rows = {Finding{"p", "HKEY_CURRENT_USER\\Software\\A", "", FindingKind::fkKey, true, 0}};
    steps.confirmCreateFolder = [this](const std::string&) { return record("folder?", yes); };
    steps.makeRestorePoint = [this] { return record("restore point", yes); };
    steps.repair = [this](std::vector<Finding>&) {
      record("repair", true);
      return repaired;
    };
    steps.showSummary = [this](int count) { record("summary " + std::to_string(count), true); };
    steps.beep = [this] { record("beep", true); };
    steps.showError = [this](const std::string& text) { record("error: " + text, true); };
  }
  bool record(const std::string& step, bool answer) {
    taken.push_back(step);
    return answer;
  }
  std::vector<std::string> Run() {
    RunWindowRepair(fs, options, steps, rows, unrepaired);
    return taken;
  }

  MemoryFileSystem fs;
  std::vector<Finding> rows;
  WindowRepairOptions options{kFolder, true, 10, true, true, {}};
  WindowRepairSteps steps;
  RepairOutcome repaired;
  UnrepairedLists unrepaired;
  std::vector<std::string> taken;
  bool yes = true;
};

using Steps = std::vector<std::string>;

TEST(WindowRepairTest, StepsRunInOrderAndEachEndStopsWhereItShould) {
  {
    Scenario t;
    t.repaired.processedCount = 2;
    t.repaired.notRepaired = {{Finding{"p", "HKEY_CURRENT_USER\\B", "v"}, "gone"}};
    EXPECT_EQ(t.Run(), (Steps{"folder?", "restore point", "repair", "summary 2", "beep"}));
    EXPECT_EQ(t.unrepaired.KeyTexts, Steps{"HKEY_CURRENT_USER\\B"});
    EXPECT_EQ(t.unrepaired.ValueTexts, Steps{"v"});
    EXPECT_EQ(t.fs.probe(kFolder), PathProbe::Folder);
  }
  {
    Scenario t;  // the summary is switched off; the beep still comes
    t.options.showHint = false;
    EXPECT_EQ(t.Run(), (Steps{"folder?", "restore point", "repair", "beep"}));
  }
  {
    Scenario t;
    t.yes = false;
    EXPECT_EQ(t.Run(), Steps{"folder?"});  // declined: no folder, nothing else
    EXPECT_EQ(t.fs.probe(kFolder), PathProbe::NotFound);
  }
  {
    Scenario t;
    t.fs.makeReadOnly("C:\\Backup");
    EXPECT_EQ(t.Run(), (Steps{"folder?", "error: Cannot create C:\\Backup\\Repairs"}));
  }
  {
    Scenario t;  // an empty list: no summary, no beep
    t.rows.clear();
    EXPECT_EQ(t.Run(), Steps{"folder?"});
  }
  {
    Scenario t;
    t.fs.addFolder(kFolder);
    t.yes = false;  // the restore point is cancelled
    EXPECT_EQ(t.Run(), Steps{"restore point"});
  }
  {
    Scenario t;  // a stopped run: its error, no summary, no beep, nothing remembered
    t.fs.addFolder(kFolder);
    t.repaired.end = RepairEnd::Aborted;
    t.repaired.error = "disk full";
    t.repaired.notRepaired = {{Finding{}, "disk full"}};
    EXPECT_EQ(t.Run(), (Steps{"restore point", "repair", "error: disk full"}));
    EXPECT_TRUE(t.unrepaired.KeyTexts.empty());
  }
}

TEST(WindowRepairTest, RestorePointOnlyWhenAskedAndOnWindowsThatHaveIt) {
  for (int code = 0; code <= 14; ++code) {
    EXPECT_EQ(WantsRestorePoint({"", true, code, true, false, {}}), code >= 9 && code <= 12);
    EXPECT_FALSE(WantsRestorePoint({"", false, code, true, false, {}})) << code;
  }
}

}  // namespace
}  // namespace hs
