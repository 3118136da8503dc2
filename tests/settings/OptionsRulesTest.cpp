// The options dialog's rules: what OK accepts as the backup folder, how the
// ignore lists are edited, and what reaches the settings.
#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"
#include "settings/OptionsRules.h"

namespace hs {
namespace {

std::vector<std::string> Texts(const std::vector<IgnoreRow>& rows) {
  std::vector<std::string> texts;
  for (const IgnoreRow& row : rows) texts.push_back(row.text);
  return texts;
}

TEST(OptionsRulesTest, RemoveTakesTheTickedRowsOnlyAndKeepsTheOrder) {
  std::vector<IgnoreRow> rows{
      {"HKEY_A", false}, {"HKEY_B", true}, {"HKEY_C", false}, {"HKEY_D", true}, {"HKEY_E", false}};
  EXPECT_EQ(RemoveTickedRows(rows), 2u);
  EXPECT_EQ(Texts(rows), (std::vector<std::string>{"HKEY_A", "HKEY_C", "HKEY_E"}));
  EXPECT_EQ(RemoveTickedRows(rows), 0u);  // nothing ticked: nothing goes
  EXPECT_EQ(rows.size(), 3u);
}

TEST(OptionsRulesTest, ListsReachTheSettingsOnlyThroughTheConfirmedForm) {
  Settings settings;
  settings.OutputDirectory = "C:\\Old";
  settings.IgnoreKeyList = {"HKEY_CURRENT_USER\\Software\\Vendor", "HKEY_USERS\\X"};
  settings.TreeViewNodeCheck[5] = true;
  OptionsForm form = OptionsFormFrom(settings);
  EXPECT_FALSE(form.keys[0].ticked);

  // A listed entry in other letters adds nothing; a new one is appended.
  EXPECT_FALSE(AddIgnoreRow(form.keys, "hkey_current_user\\SOFTWARE\\vendor"));
  EXPECT_TRUE(AddIgnoreRow(form.values, "HKEY_LOCAL_MACHINE\\Software\\Run\\Tool"));
  form.keys[1].text = form.keys[0].text;          // editing may make two equal rows
  EXPECT_TRUE(settings.IgnoreValueList.empty());  // the settings are untouched until OK

  form.outputFolder = "D:\\Backup\\";
  form.beep = true;
  form.deleteBackupFile = false;
  ApplyOptionsForm(form, settings);
  EXPECT_EQ(settings.OutputDirectory, "D:\\Backup\\");  // as typed
  EXPECT_TRUE(settings.Beep);
  EXPECT_FALSE(settings.DeleteBackupFile);
  EXPECT_TRUE(settings.ShowHint);
  EXPECT_EQ(settings.IgnoreValueList,
            (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Run\\Tool"}));
  EXPECT_EQ(settings.IgnoreKeyList, (std::vector<std::string>(2, form.keys[0].text)));
  EXPECT_TRUE(settings.TreeViewNodeCheck[5]);  // not the dialog's to change
}

TEST(OptionsRulesTest, BackupFolderMustBeAnExistingFolderNamedByItsFullPath) {
  MemoryFileSystem fs;
  fs.addFolder("C:\\Backups");
  fs.addFile("C:\\Backups\\file.reg");
  fs.addFolder("C:\\Prog");
  fs.addFile("C:\\Prog\\Lan_German.ini",
             "[ResourceString]\r\nRES_Directory_Not_Exist=Der Ordner fehlt.\r\n");
  const Translation english;
  EXPECT_FALSE(BackupFolderProblem(fs, "C:\\Backups", english));
  EXPECT_FALSE(BackupFolderProblem(fs, "c:\\backups\\", english));  // trailing backslash
  for (const char* refused :
       {"C:\\Missing", "C:\\Backups\\file.reg", "", "Backups", "C:Backups", "C:\\Backups\n"})
    EXPECT_EQ(BackupFolderProblem(fs, refused, english),
              std::string(refused) + ",The backup directory does not exist.")
        << refused;
  const Translation german(fs, "C:\\Prog\\", "German");
  EXPECT_EQ(BackupFolderProblem(fs, "C:\\Missing", german), "C:\\Missing,Der Ordner fehlt.");
}

TEST(OptionsRulesTest, EntriesNeedHkeyAnywhereAndMustFitOneSettingsLine) {
  EXPECT_TRUE(IsIgnoreEntryAcceptable("HKEY_CURRENT_USER\\Software"));
  EXPECT_TRUE(IsIgnoreEntryAcceptable("see hkey_users\\x"));  // not only at the start
  EXPECT_FALSE(IsIgnoreEntryAcceptable(""));
  EXPECT_FALSE(IsIgnoreEntryAcceptable("HKEY CURRENT USER"));
  EXPECT_FALSE(IsIgnoreEntryAcceptable("HKEY_A\r\n[Options]"));
  EXPECT_TRUE(IsIgnoreEntryAcceptable("HKEY_" + std::string(2042, 'x')));
  EXPECT_FALSE(IsIgnoreEntryAcceptable("HKEY_" + std::string(2043, 'x')));
  // Counted in UTF-16 units, as the file gives them back: U+00E9 is one unit.
  std::string accented = "HKEY_";
  for (int i = 0; i < 2042; ++i) accented += "\xC3\xA9";
  EXPECT_TRUE(IsIgnoreEntryAcceptable(accented));
}

TEST(OptionsRulesTest, RestorePointCaptionKeepsItsVersionListInEnglish) {
  EXPECT_EQ(RestorePointCaption("Wiederherstellungspunkt anlegen (xP, Vista)"),
            "Wiederherstellungspunkt anlegen (XP, Vista, 7)");
  EXPECT_EQ(RestorePointCaption("Punkt (Xp"), "Punkt (XP, Vista, 7)");
  EXPECT_EQ(RestorePointCaption("Create a restore point"), "Create a restore point");
}

}  // namespace
}  // namespace hs
