#include <gtest/gtest.h>

#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "repair/WindowRepair.h"

namespace hs {
namespace {

constexpr const char* kFolder = "C:\\Backup\\Repairs";

Finding Row(const std::string& key, bool checked) {
  Finding row;
  row.Problem = "Obsolete software";
  row.KeyPath = key;
  row.Kind = FindingKind::fkKey;
  row.Checked = checked;
  return row;
}

// A registry with one key to repair and one to keep; the steps record what
// the command did, in order.
struct Scenario {
  Scenario() {
    RegFileError error;
    EXPECT_TRUE(ImportRegText(reg,
                              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"a\"=\"1\"\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Kept]\r\n",
                              error))
        << error.message;
    fs.addFolder("C:\\Backup");
    rows = {Row("HKEY_CURRENT_USER\\Software\\Kept", false),
            Row("HKEY_CURRENT_USER\\Software\\Missing", true),
            Row("HKEY_CURRENT_USER\\Software\\Gone", true)};
    options.backupFolder = kFolder;
    options.windowsVersionCode = 10;
    steps.confirmCreateFolder = [this](const std::string& question) {
      taken.push_back("folder? " + question.substr(0, question.find(',')));
      return createFolder;
    };
    steps.makeRestorePoint = [this] {
      taken.push_back("restore point");
      return restorePointOk;
    };
    steps.repair = [this](std::vector<Finding>& list) {
      taken.push_back("repair");
      return RepairIntoFolder(reg, fs, kFolder, list);
    };
    steps.showSummary = [this](int count) { taken.push_back("summary " + std::to_string(count)); };
    steps.beep = [this] { taken.push_back("beep"); };
    steps.showError = [this](const std::string&) { taken.push_back("error"); };
  }

  RepairOutcome Run() { return RunWindowRepair(fs, options, steps, rows, unrepaired); }
  bool KeyExists(const std::string& path) {
    return TRegistry(reg, RootKey::CurrentUser).PathExists(path);
  }

  MemoryRegistry reg;
  MemoryFileSystem fs;
  std::vector<Finding> rows;
  WindowRepairOptions options;
  WindowRepairSteps steps;
  UnrepairedLists unrepaired;
  std::vector<std::string> taken;
  bool createFolder = true;
  bool restorePointOk = true;
};

TEST(WindowRepairTest, CompletedRunAsksInOrderThenSummaryAndBeep) {
  Scenario t;
  t.options.restorePoint = true;
  t.options.beep = true;
  const RepairOutcome outcome = t.Run();

  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  EXPECT_EQ(t.taken, (std::vector<std::string>{"folder? C:\\Backup\\Repairs", "restore point",
                                               "repair", "summary 2", "beep"}));
  // What the repair itself did is checked against Wine's registry in
  // RepairFromWindowTest; here, that its rows come back and failures are kept.
  EXPECT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.unrepaired.KeyTexts,
            std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Missing"});
}

TEST(WindowRepairTest, EachEarlyEndLeavesListAndRegistryAsTheyWere) {
  struct Case {
    const char* name;
    std::function<void(Scenario&)> arrange;
    RepairEnd end;
    std::vector<std::string> taken;
  } cases[] = {
      {"folder declined",
       [](Scenario& t) { t.createFolder = false; },
       RepairEnd::FolderDeclined,
       {"folder? C:\\Backup\\Repairs"}},
      {"folder cannot be made",
       [](Scenario& t) { t.fs.makeReadOnly("C:\\Backup"); },
       RepairEnd::FolderFailed,
       {"folder? C:\\Backup\\Repairs", "error"}},
      {"restore point cancelled",
       [](Scenario& t) {
         t.fs.addFolder(kFolder);
         t.options.restorePoint = true;
         t.restorePointOk = false;
       },
       RepairEnd::RestorePointCancelled,
       {"restore point"}},
      {"empty list: no summary, no beep",
       [](Scenario& t) {
         t.rows.clear();
         t.options.beep = true;
       },
       RepairEnd::EmptyList,
       {"folder? C:\\Backup\\Repairs"}},
      {"backup file not writable: error, no summary, no beep",
       [](Scenario& t) {
         t.fs.addFolder(kFolder);
         t.fs.makeReadOnly(kFolder);
         t.options.beep = true;
       },
       RepairEnd::Aborted,
       {"repair", "error"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario t;
    c.arrange(t);
    const std::size_t before = t.rows.size();

    const RepairOutcome outcome = t.Run();
    EXPECT_EQ(outcome.end, c.end);
    EXPECT_EQ(t.taken, c.taken);
    EXPECT_EQ(t.rows.size(), before);
    EXPECT_TRUE(t.KeyExists("Software\\Gone"));
    EXPECT_TRUE(t.unrepaired.KeyTexts.empty());
  }
}

TEST(WindowRepairOptionsTest, RestorePointOnlyWhenAskedAndOnWindowsThatHaveIt) {
  for (int code = 0; code <= 14; ++code) {
    EXPECT_EQ(WantsRestorePoint({"", true, code, true, false, {}}), code >= 9 && code <= 12)
        << code;
    EXPECT_FALSE(WantsRestorePoint({"", false, code, true, false, {}})) << code;
  }
}

}  // namespace
}  // namespace hs
