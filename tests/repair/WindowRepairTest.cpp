#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/memory/MemoryFileSystem.h"
#include "repair/WindowRepair.h"

namespace hs {
namespace {

constexpr const char* kWindowRepairFolder = "C:\\Backup\\Repairs";

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
    steps.closeRestorePoint = [this](RestorePointClose how) {
      record(how == RestorePointClose::End ? "end point" : "cancel point", true);
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
  WindowRepairOptions options{kWindowRepairFolder, true, 10, true, true, {}};
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
    EXPECT_EQ(t.Run(),
              (Steps{"folder?", "restore point", "repair", "cancel point", "summary 2", "beep"}));
    EXPECT_EQ(t.unrepaired.KeyTexts, Steps{"HKEY_CURRENT_USER\\B"});
    EXPECT_EQ(t.unrepaired.ValueTexts, Steps{"v"});
    EXPECT_EQ(t.fs.probe(kWindowRepairFolder), PathProbe::Folder);
  }
  {
    Scenario t;  // the summary is switched off; the beep still comes
    t.options.showHint = false;
    EXPECT_EQ(t.Run(), (Steps{"folder?", "restore point", "repair", "end point", "beep"}));
  }
  {
    Scenario t;
    t.yes = false;
    EXPECT_EQ(t.Run(), Steps{"folder?"});  // declined: no folder, nothing else
    EXPECT_EQ(t.fs.probe(kWindowRepairFolder), PathProbe::NotFound);
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
    t.fs.addFolder(kWindowRepairFolder);
    t.yes = false;  // the restore point is cancelled
    EXPECT_EQ(t.Run(), Steps{"restore point"});
  }
  {
    Scenario t;  // a stopped run: its error, no summary, no beep, nothing remembered
    t.fs.addFolder(kWindowRepairFolder);
    t.repaired.end = RepairEnd::Aborted;
    t.repaired.error = "disk full";
    t.repaired.notRepaired = {{Finding{}, "disk full"}};
    EXPECT_EQ(t.Run(), (Steps{"restore point", "repair", "cancel point", "error: disk full"}));
    EXPECT_TRUE(t.unrepaired.KeyTexts.empty());
  }
}

// The point is ended only when the run deleted something: a run that deleted
// nothing, stopped before its first deletion or threw cancels it.
TEST(WindowRepairTest, RestorePointEndsAfterADeletionAndIsCancelledOtherwise) {
  const Finding row{"p", "HKEY_CURRENT_USER\\Software\\A", "", FindingKind::fkKey, true, 0};
  struct Case {
    const char* name;
    std::size_t checked;
    RepairEnd end;
    std::size_t notRepaired;
    const char* close;
  } cases[] = {
      {"all deleted", 2, RepairEnd::Completed, 0, "end point"},
      {"one of two kept", 2, RepairEnd::Completed, 1, "end point"},
      {"every row kept", 2, RepairEnd::Completed, 2, "cancel point"},
      {"stopped before its first deletion", 3, RepairEnd::Aborted, 3, "cancel point"},
      {"stopped after a deletion", 3, RepairEnd::Aborted, 2, "end point"},
  };
  for (const Case& c : cases) {
    Scenario t;
    t.fs.addFolder(kWindowRepairFolder);
    t.options.showHint = t.options.beep = false;
    t.rows.assign(c.checked, row);
    t.rows.push_back(
        Finding{"p", "HKEY_CURRENT_USER\\Software\\Unchecked", "", FindingKind::fkKey, false, 0});
    t.repaired.end = c.end;
    t.repaired.notRepaired.assign(c.notRepaired, {row, "kept"});
    const Steps taken = t.Run();
    EXPECT_EQ(std::count(taken.begin(), taken.end(), c.close), 1) << c.name;
    EXPECT_EQ(taken.size(), c.end == RepairEnd::Aborted ? 4u : 3u) << c.name;
  }
  {
    Scenario t;  // no restore point wanted: nothing to close
    t.options.restorePoint = false;
    EXPECT_EQ(t.Run(), (Steps{"folder?", "repair", "summary 0", "beep"}));
  }
  {
    Scenario t;
    t.steps.repair = [](std::vector<Finding>&) -> RepairOutcome { throw std::runtime_error("x"); };
    EXPECT_THROW(t.Run(), std::runtime_error);
    EXPECT_EQ(t.taken, (Steps{"folder?", "restore point", "cancel point"}));
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
