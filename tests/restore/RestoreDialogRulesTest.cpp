// The restore dialog's, wait dialog's and full backup's decisions, apart
// from their windows.
#include <gtest/gtest.h>

#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "restore/BackupHintProgress.h"
#include "restore/FakeEditor.h"
#include "restore/FullBackup.h"
#include "restore/RestoreDialogRules.h"
#include "restore/RestoreWithQuestion.h"

namespace hs {
namespace {

TEST(RestoreDialogRules, ButtonsAfterTranslation) {
  // A caption wider than its button widens it to the text plus 5; the three
  // gaps between Restore, Open Directory, Delete and Close are equal.
  RestoreButtonPlacement placed = PlaceRestoreButtons({100, 340, 100, 120, 90});
  EXPECT_EQ(placed.openWidth, 125);
  EXPECT_EQ(placed.openLeft, 108);  // (340 - 100 - 125 - 90) / 3 = 8
  EXPECT_EQ(placed.deleteLeft, 108 + 125 + 8);
  placed = PlaceRestoreButtons({100, 340, 100, 60, 90});
  EXPECT_EQ(placed.openWidth, 100);  // never narrowed
  EXPECT_EQ(placed.openLeft, 116);
  // "Show items..." between them: four gaps, and it widens as Open Directory does.
  placed = PlaceRestoreButtons({100, 440, 100, 60, 90, 90, 100});
  EXPECT_EQ(placed.itemsWidth, 105);
  EXPECT_EQ(placed.openLeft, 111);  // (440 - 100 - 100 - 105 - 90) / 4 = 11
  EXPECT_EQ(placed.itemsLeft, 111 + 100 + 11);
  EXPECT_EQ(placed.deleteLeft, 222 + 105 + 11);

  EXPECT_EQ(RowSelectedAfterRemoval(0, 2), 0);  // the next row took its place
  EXPECT_EQ(RowSelectedAfterRemoval(2, 2), 1);  // the last went: the new last
  EXPECT_EQ(RowSelectedAfterRemoval(0, 0), -1);
}

TEST(RestoreDialogRules, WaitBarCreepsAndStopsPastItsEnd) {
  std::vector<int> positions{0};
  for (int tick = 0; tick < 100; ++tick)
    positions.push_back(NextBackupHintPosition(positions.back()));
  EXPECT_EQ(positions[30], 300);
  EXPECT_EQ(positions[31], 310);
  EXPECT_EQ(positions[32], 315);
  EXPECT_EQ(positions[50], 405);
  EXPECT_EQ(positions[51], 408);
  EXPECT_EQ(positions[66], 453);
  EXPECT_EQ(positions[85], 491);
  EXPECT_EQ(positions[94], 500);
  EXPECT_EQ(positions[95], 501);
  EXPECT_EQ(positions[100], 501);
}

TEST(FullBackupRules, NameHeaderAndBackupTool) {
  EXPECT_EQ(FullBackupFileName("C:\\b\\backup.Reg"), "C:\\b\\backup.Reg");
  EXPECT_EQ(FullBackupFileName("C:\\b\\backup"), "C:\\b\\backup.reg");
  EXPECT_EQ(FullBackupFileName("C:\\b.reg\\backup"), "C:\\b.reg\\backup.reg");

  MemoryFileSystem fs;
  std::string version5 = "\xFF\xFE";
  for (char c : std::string("Windows Registry Editor Version 5.00\r\n")) version5 += {c, '\0'};
  fs.addFile("C:\\b\\wine.reg", version5);
  fs.addFile("C:\\b\\old.reg", "REGEDIT4\r\n\r\n");
  fs.addFile("C:\\b\\empty.reg", "");
  fs.addFile("C:\\b\\other.reg", "\xFF\xFEnot an export");
  EXPECT_EQ(CheckFullBackupFile(fs, "C:\\b\\wine.reg"), "");
  EXPECT_EQ(CheckFullBackupFile(fs, "C:\\b\\old.reg"), "");
  EXPECT_NE(CheckFullBackupFile(fs, "C:\\b\\empty.reg"), "");
  EXPECT_NE(CheckFullBackupFile(fs, "C:\\b\\other.reg"), "");
  EXPECT_NE(CheckFullBackupFile(fs, "C:\\b\\missing.reg").find("wrote no file"), std::string::npos);

  EXPECT_EQ(FindSystemBackupTool(fs, "C:\\Windows", false), std::nullopt);
  fs.addFile("C:\\Windows\\system32\\sdclt.exe");
  EXPECT_EQ(FindSystemBackupTool(fs, "C:\\Windows", false), "C:\\Windows\\system32\\sdclt.exe");
  fs.addFile("C:\\Windows\\Sysnative\\sdclt.exe");
  EXPECT_EQ(FindSystemBackupTool(fs, "C:\\Windows", true), "C:\\Windows\\Sysnative\\sdclt.exe");
  fs.addFile("C:\\Windows\\system32\\ntbackup.exe");
  EXPECT_EQ(FindSystemBackupTool(fs, "C:\\Windows", false), "C:\\Windows\\system32\\ntbackup.exe");
}

class RestoreWithQuestionTest : public ::testing::Test {
 protected:
  QuestionedRestore Restore(const std::string& file, bool answer) {
    RestoreRequest request;
    request.file = file;
    request.backupFolder = "C:\\Backup";
    request.deleteAfter = true;
    return RestoreWithQuestion(fs, reg, editor, request, [&](const std::string& question) {
      questions.push_back(question);
      return answer;
    });
  }
  bool KeyExists(const std::string& path) {
    return TRegistry(reg, RootKey::CurrentUser).PathExists(path);
  }
  MemoryFileSystem fs;
  MemoryRegistry reg;
  FakeEditor editor{fs, reg};
  std::vector<std::string> questions;
};

TEST_F(RestoreWithQuestionTest, AFileNotWrittenHereIsImportedOnlyAfterTheQuestion) {
  const std::string file = "C:\\Backup\\planted.reg";
  fs.addFile(
      file,
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Planted]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n"
      "\r\n[HKEY_LOCAL_MACHINE\\Software\\Planted]\r\n");
  QuestionedRestore result = Restore(file, false);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].rfind(file + "\r\n", 0), 0u) << questions[0];
  EXPECT_NE(questions[0].find("add 2 keys and 2 values under HKEY_CURRENT_USER and "
                              "HKEY_LOCAL_MACHINE"),
            std::string::npos)
      << questions[0];
  EXPECT_TRUE(result.declined);
  EXPECT_EQ(result.message, "");
  EXPECT_TRUE(editor.commandLines.empty());
  EXPECT_FALSE(KeyExists("Software\\Planted"));

  // Its items are offered after the same question, and then only with force.
  const auto listItems = [&](bool answer) {
    return ListItemsWithQuestion(fs, reg, {file, "C:\\Backup", true, false, {}, {}},
                                 [&](const std::string& question) {
                                   questions.push_back(question);
                                   return answer;
                                 });
  };
  const QuestionedItems declined = listItems(false);
  EXPECT_TRUE(declined.declined);
  EXPECT_TRUE(declined.listed.items.empty());
  EXPECT_EQ(questions.size(), 2u);
  const QuestionedItems agreed = listItems(true);
  EXPECT_TRUE(agreed.force);
  EXPECT_EQ(agreed.listed.items.size(), 2u);
  EXPECT_EQ(agreed.message, "");

  result = Restore(file, true);
  EXPECT_EQ(result.outcome.end, RestoreEnd::Restored) << result.message;
  EXPECT_TRUE(KeyExists("Software\\Planted"));
  // Imported on request and verified: it lay in the backup folder, so it goes.
  EXPECT_TRUE(result.outcome.fileDeleted);
}

}  // namespace
}  // namespace hs
