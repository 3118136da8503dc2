// The repair run from the window against Wine's registry and file system,
// with the real dialogs: the summary is read and closed through messages.
#include <windows.h>
#include <gtest/gtest.h>

#include "mainwindow/win32/RepairFromWindow.h"
#include "mainwindow/win32/ShowHintDialog.h"
#include "platform/TRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "settings/Settings.h"
#include "translation/Translation.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

constexpr const char* kRepairWindowBase = "Software\\HivesweepTest\\RepairWindow";
constexpr const char* kRepairWindowBaseFull =
    "HKEY_CURRENT_USER\\Software\\HivesweepTest\\RepairWindow";

Finding Row(const std::string& name, bool checked) {
  return Finding{"Obsolete software",
                 std::string(kRepairWindowBaseFull) + "\\" + name,
                 "",
                 FindingKind::fkKey,
                 checked,
                 0};
}

class RepairFromWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRegistry scratch(reg, RootKey::CurrentUser);
    scratch.RemovePath(kRepairWindowBase);
    for (const char* name : {"Gone\\Sub", "Kept"}) {
      TRegistry key(reg, RootKey::CurrentUser);
      ASSERT_TRUE(key.OpenPath(std::string(kRepairWindowBase) + "\\" + name, true));
      ASSERT_TRUE(key.WriteValueText("Path", "C:\\nowhere\\tool.exe"));
    }
    programFolder = test::TempFolder("HivesweepRepairWindow\\");
    fs.deleteSilently(programFolder);
    ASSERT_EQ(fs.createDirectory(programFolder), FsStatus::Ok);
    settings.OutputDirectory = programFolder + "Backup\\Deeper";
    settings.ShowHint = true;
    settings.RestorePoint = false;
    settings.Beep = false;
    rows = {Row("Kept", false), Row("Missing", true), Row("Gone", true)};
    owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    ::DestroyWindow(owner);
    TRegistry(reg, RootKey::CurrentUser).RemovePath(kRepairWindowBase);
    fs.deleteSilently(programFolder);
  }

  bool KeyExists(const std::string& name) {
    return TRegistry(reg, RootKey::CurrentUser)
        .PathExists(std::string(kRepairWindowBase) + "\\" + name);
  }
  win32::RepairWindowResult Repair(win32::WindowQuestions questions,
                                   win32::RestorePointCalls points = {}) {
    win32::RepairWindowInput input{reg,   fs,        settings, translation, 10,
                                   state, questions, {},       points};
    return win32::RepairFromWindow(owner, input, rows);
  }
  win32::WindowQuestions Answering(bool yes) {
    win32::WindowQuestions questions;
    questions.askYesNo = [this, yes](HWND, const std::string& text, bool defaultNo) {
      asked.push_back(text);
      askedDefaultNo.push_back(defaultNo);
      return yes;
    };
    questions.tellError = [this](HWND, const std::string& text) { asked.push_back(text); };
    return questions;
  }

  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  std::string programFolder;
  Settings settings;
  Translation translation{fs, programFolder, "English"};
  win32::RepairWindowState state;
  std::vector<Finding> rows;
  std::vector<std::string> asked;
  std::vector<bool> askedDefaultNo;
  HWND owner = nullptr;
};

TEST_F(RepairFromWindowTest, RepairsCheckedRowsWritesBackupAndShowsSummarySentence) {
  std::string sentence;
  test::DialogDriver summary(win32::kShowHintLabel1, [&](HWND dialog) {
    sentence = test::DialogItemText(dialog, win32::kShowHintLabel1);
    test::Click(dialog, win32::kShowHintNotAgain);
    test::Click(dialog, win32::kShowHintClose);
  });

  const win32::RepairWindowResult result = Repair(Answering(true));

  ASSERT_TRUE(summary.Acted());
  EXPECT_EQ(sentence, "There are total 2 problems to be repaired.");
  EXPECT_FALSE(settings.ShowHint);  // "Don't show this hint dialog next time" was clicked
  ASSERT_EQ(asked.size(), 1u);      // the backup folder did not exist
  EXPECT_EQ(asked[0], settings.OutputDirectory +
                          ",The backup directory does not exist.\r\ncreates a new directory?");

  EXPECT_EQ(result.end, RepairEnd::Completed);
  EXPECT_EQ(result.processedCount, 2);
  EXPECT_EQ(result.rowsRemoved, 2u);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].KeyPath, std::string(kRepairWindowBaseFull) + "\\Kept");
  EXPECT_FALSE(KeyExists("Gone"));
  EXPECT_TRUE(KeyExists("Kept"));
  EXPECT_EQ(state.unrepaired.KeyTexts,
            std::vector<std::string>{std::string(kRepairWindowBaseFull) + "\\Missing"});

  std::string backup;
  ASSERT_EQ(fs.readFile(result.backupFile, backup), FsStatus::Ok);
  EXPECT_EQ(result.backupFile.rfind(settings.OutputDirectory + "\\", 0), 0u);
  EXPECT_NE(backup.find("[" + std::string(kRepairWindowBaseFull) +
                        "\\Gone\\Sub]\r\n\"Path\"=\"C:\\\\nowhere"),
            std::string::npos)
      << backup;
}

TEST_F(RepairFromWindowTest, FailedRestorePointAsksAndTheAnswerDecides) {
  settings.RestorePoint = true;
  settings.ShowHint = false;
  fs.createDirectory(programFolder + "Backup");
  fs.createDirectory(settings.OutputDirectory);

  // Wine has no System Restore: the request fails and the user is asked.
  win32::RepairWindowResult result = Repair(Answering(false));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].rfind("Restore Point creation Failed! Contiue to repair?", 0), 0u) << asked[0];
  EXPECT_TRUE(askedDefaultNo[0]);
  EXPECT_EQ(result.end, RepairEnd::RestorePointCancelled);
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_TRUE(KeyExists("Gone"));
  std::vector<DirEntry> files;
  ASSERT_EQ(fs.listDirectory(settings.OutputDirectory, files), FsStatus::Ok);
  EXPECT_TRUE(files.empty());

  asked.clear();
  result = Repair(Answering(true));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(result.end, RepairEnd::Completed);
  EXPECT_FALSE(KeyExists("Gone"));
  EXPECT_FALSE(state.lastRestorePoint.has_value());
}

// The point the request opened is closed with the number it returned: ended
// after a run that deleted something, cancelled after one that deleted nothing.
TEST_F(RepairFromWindowTest, RestorePointIsClosedWithItsNumberAfterTheRepair) {
  settings.RestorePoint = true;
  settings.ShowHint = false;
  std::vector<std::string> calls;
  std::int64_t next = 77;
  win32::RestorePointCalls points;
  points.request = [&] {
    calls.push_back("begin " + std::to_string(next));
    return RestorePointCall{true, true, true, kSrStatusSuccess, next++};
  };
  points.close = [&](std::int64_t sequence, RestorePointClose how) {
    calls.push_back((how == RestorePointClose::End ? "end " : "cancel ") +
                    std::to_string(sequence));
  };

  EXPECT_EQ(Repair(Answering(true), points).end, RepairEnd::Completed);
  EXPECT_FALSE(KeyExists("Gone"));
  EXPECT_EQ(calls, (std::vector<std::string>{"begin 77", "end 77"}));

  calls.clear();
  rows = {Row("Kept", false), Row("Missing", true)};  // nothing is deleted
  EXPECT_EQ(Repair(Answering(true), points).end, RepairEnd::Completed);
  EXPECT_EQ(calls, (std::vector<std::string>{"begin 78", "cancel 78"}));
}

}  // namespace
}  // namespace hs
