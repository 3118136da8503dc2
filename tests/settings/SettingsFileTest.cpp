#include <gtest/gtest.h>

#include "common/SingleByteCodePage.h"
#include "platform/memory/MemoryFileSystem.h"
#include "settings/SettingsFile.h"

namespace hs {
namespace {

const std::string kProgramFolder = "C:\\Program Files\\Corvane Hivesweep\\";
const std::string kBeside = kProgramFolder + "options.ini";
const std::string kAppData = "C:\\Users\\ann\\AppData\\Roaming";
const std::string kInAppData = kAppData + "\\Corvane Hivesweep\\options.ini";
constexpr ScreenSize kScreen{1280, 1024};

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.addFolder(kProgramFolder);
    fs.setSpecialFolder(csidl::kAppData, kAppData);
  }
  Settings Load() {
    Settings settings = Settings::Defaults(kProgramFolder);
    EXPECT_EQ(LoadSaveOptions(true, fs, kProgramFolder, kScreen, settings), std::nullopt);
    return settings;
  }
  std::optional<std::string> Save(Settings settings) {
    return LoadSaveOptions(false, fs, kProgramFolder, kScreen, settings);
  }
  std::string FileText(const std::string& path) {
    std::string text;
    fs.readFile(path, text);
    return text;
  }

  MemoryFileSystem fs;
};

TEST_F(SettingsFileTest, NoFileGivesTheDefaultsAndACentredWindowAtItsDesignedSize) {
  const Settings settings = Load();
  EXPECT_EQ(settings.OutputDirectory, kProgramFolder + "Backup");
  EXPECT_TRUE(settings.DeleteBackupFile);
  EXPECT_TRUE(settings.ShowHint);
  EXPECT_FALSE(settings.IncludeRemoveMedia || settings.IncludeCDdrive || settings.Beep ||
               settings.RestorePoint || settings.WindowMaximized);
  for (int flag = 1; flag <= 23; ++flag) EXPECT_TRUE(settings.TreeViewNodeCheck[flag]) << flag;
  EXPECT_TRUE(settings.IgnoreValueList.empty());
  EXPECT_TRUE(settings.IgnoreKeyList.empty());
  EXPECT_EQ(settings.Lan, "English");
  EXPECT_EQ(settings.WindowLeft, (1280 - 684) / 2);
  EXPECT_EQ(settings.WindowTop, (1024 - 520) / 2);
  EXPECT_EQ(settings.WindowWidth, 684);
  EXPECT_EQ(settings.WindowHeight, 520);
}

TEST_F(SettingsFileTest, AFreshlySavedFileIsExactlyThis) {
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.Beep = true;
  settings.TreeViewNodeCheck[5] = false;
  settings.IgnoreValueList = {"HKEY_CURRENT_USER\\Software\\A\\Name"};
  settings.IgnoreKeyList = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\B", "HKEY_USERS\\C"};
  settings.WindowLeft = 298;
  settings.WindowTop = 252;
  settings.WindowWidth = 700;
  settings.WindowHeight = 530;
  settings.WindowState = 1;
  ASSERT_EQ(Save(settings), std::nullopt);
  std::string expected =
      "[Options]\r\n"
      "OutputDirectory=C:\\Program Files\\Corvane Hivesweep\\Backup\r\n"
      "DeleteBackupFile=1\r\nIncludeRemoveMedia=0\r\nIncludeCDdrive=0\r\nBeep=1\r\n"
      "ShowHint=1\r\nRestorePoint=0\r\nLan=English\r\n"
      "\r\n[TreeViewNodeCheck]\r\n";
  for (int flag = 1; flag <= 23; ++flag)
    expected += std::to_string(flag) + (flag == 5 ? "=0\r\n" : "=1\r\n");
  expected +=
      "\r\n[IgnoreValue]\r\nCount=1\r\nValue1=HKEY_CURRENT_USER\\Software\\A\\Name\r\n"
      "\r\n[IgnoreKey]\r\nCount=2\r\nKey1=HKEY_LOCAL_MACHINE\\SOFTWARE\\B\r\nKey2=HKEY_USERS\\C\r\n"
      "\r\n[Window]\r\nState=1\r\nLeft=298\r\nTop=252\r\nWidth=700\r\nHeight=530\r\n";
  EXPECT_EQ(FileText(kBeside), expected);
  EXPECT_EQ(fs.probe(kBeside + ".tmp"), PathProbe::NotFound);
}

// A file is read in the machine's ANSI code page, so a new one must be
// written in it too: "é" saved as Windows-1252 would come back as "й" on a
// Cyrillic system.
TEST_F(SettingsFileTest, ANewFileReadsBackInAnyAnsiCodePage) {
  for (const unsigned page : {1250U, 1251U, 1253U}) {
    fs.setAnsiCodePage(SingleByteCodePage::Find(page));
    fs.remove(kBeside);
    Settings settings = Settings::Defaults(kProgramFolder);
    settings.OutputDirectory = "C:\\R\xC3\xA9sum\xC3\xA9 \xD0\x9A\xCE\xA3";  // é, К, Σ
    ASSERT_EQ(Save(settings), std::nullopt);
    EXPECT_EQ(Load().OutputDirectory, settings.OutputDirectory) << page;
    settings.OutputDirectory = "C:\\R\xC3\xA9sum\xC3\xA9";
    fs.remove(kBeside);
    ASSERT_EQ(Save(settings), std::nullopt);
    EXPECT_EQ(Load().OutputDirectory, settings.OutputDirectory) << page;
  }
}

TEST_F(SettingsFileTest, EdgeCasesOfStoredFiles) {
  struct Case {
    const char* name;
    std::string file;
    void (*check)(const Settings&);
  };
  const Case cases[] = {
      {"state 3 opens maximized and ignores the bounds",
       "[Window]\r\nState=3\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=600\r\n",
       [](const Settings& s) {
         EXPECT_TRUE(s.WindowMaximized);
         EXPECT_EQ(s.WindowLeft, 0);
         EXPECT_EQ(s.WindowWidth, 684);
         EXPECT_EQ(s.WindowHeight, 520);
       }},
      {"state 2 opens normally at the stored bounds",
       "[Window]\r\nState=2\r\nLeft=-5\r\nTop=6\r\nWidth=700\r\nHeight=600\r\n",
       [](const Settings& s) {
         EXPECT_FALSE(s.WindowMaximized);
         EXPECT_EQ(s.WindowLeft, -5);
         EXPECT_EQ(s.WindowTop, 6);
         EXPECT_EQ(s.WindowWidth, 700);
         EXPECT_EQ(s.WindowHeight, 600);
       }},
      {"left and top default from the designed size, not the stored one",
       "[Window]\r\nWidth=1000\r\nHeight=800\r\n",
       [](const Settings& s) {
         EXPECT_EQ(s.WindowLeft, (1280 - 684) / 2);
         EXPECT_EQ(s.WindowTop, (1024 - 520) / 2);
         EXPECT_EQ(s.WindowWidth, 1000);
       }},
      {"a size below one pixel keeps the designed size", "[Window]\r\nWidth=0\r\nHeight=-3\r\n",
       [](const Settings& s) {
         EXPECT_EQ(s.WindowWidth, 684);
         EXPECT_EQ(s.WindowHeight, 520);
       }},
      {"count 3 with only Value1 loads three entries",
       "[IgnoreValue]\r\nCount=3\r\nValue1=HKEY_USERS\\x\\v\r\n",
       [](const Settings& s) {
         EXPECT_EQ(s.IgnoreValueList, (std::vector<std::string>{"HKEY_USERS\\x\\v", "", ""}));
       }},
      {"entries past the count are not read", "[IgnoreKey]\r\nCount=1\r\nKey1=a\r\nKey2=b\r\n",
       [](const Settings& s) { EXPECT_EQ(s.IgnoreKeyList, std::vector<std::string>{"a"}); }},
      {"a negative or absurd count reads nothing or at most the cap",
       "[IgnoreKey]\r\nCount=-4\r\n[IgnoreValue]\r\nCount=2000000000\r\n",
       [](const Settings& s) {
         EXPECT_TRUE(s.IgnoreKeyList.empty());
         EXPECT_EQ(s.IgnoreValueList.size(), static_cast<std::size_t>(kMaxIgnoreEntries));
       }},
      {"yes/no: 2 is yes, yes is the default",
       "[Options]\r\nBeep=2\r\nShowHint=yes\r\nDeleteBackupFile=0x0\r\nRestorePoint=\r\n"
       "[TreeViewNodeCheck]\r\n7=0\r\n8=no\r\n",
       [](const Settings& s) {
         EXPECT_TRUE(s.Beep);
         EXPECT_TRUE(s.ShowHint);
         EXPECT_FALSE(s.DeleteBackupFile);
         EXPECT_FALSE(s.RestorePoint);
         EXPECT_FALSE(s.TreeViewNodeCheck[7]);
         EXPECT_TRUE(s.TreeViewNodeCheck[8]);
       }},
      {"texts keep what the file says, quotes and all but one pair",
       "[options]\r\noutputdirectory=\"D:\\My Backups\\\"\r\nlan=German\r\n",
       [](const Settings& s) {
         EXPECT_EQ(s.OutputDirectory, "D:\\My Backups\\");
         EXPECT_EQ(s.Lan, "German");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs.addFile(kBeside, c.file);
    c.check(Load());
  }
}

TEST_F(SettingsFileTest, LoadingAppendsToTheIgnoreLists) {
  fs.addFile(kBeside, "[IgnoreKey]\r\nCount=1\r\nKey1=b\r\n");
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.IgnoreKeyList = {"a"};
  LoadSaveOptions(true, fs, kProgramFolder, kScreen, settings);
  EXPECT_EQ(settings.IgnoreKeyList, (std::vector<std::string>{"a", "b"}));
}

TEST_F(SettingsFileTest, AShrunkListLeavesItsOldKeysAndTheNextLoadReadsOnlyTheCount) {
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.IgnoreValueList = {"v1", "v2", "v3", "v4", "v5"};
  ASSERT_EQ(Save(settings), std::nullopt);
  settings.IgnoreValueList = {"w1", "w2"};
  ASSERT_EQ(Save(settings), std::nullopt);
  EXPECT_NE(FileText(kBeside).find("Value5=v5\r\n"), std::string::npos);
  EXPECT_EQ(Load().IgnoreValueList, (std::vector<std::string>{"w1", "w2"}));
}

TEST_F(SettingsFileTest, SavingKeepsTheFilesOwnOrderCommentsAndUnknownKeys) {
  fs.addFile(kBeside, "; edited by hand\n[Window]\nState=1\nCustom=keep\n[Options]\nLan=French\n");
  Settings settings = Settings::Defaults(kProgramFolder);
  ASSERT_EQ(Save(settings), std::nullopt);
  const std::string text = FileText(kBeside);
  EXPECT_EQ(text.rfind("; edited by hand\r\n[Window]\r\nState=1\r\nCustom=keep\r\nLeft=0\r\n", 0),
            0u);
  EXPECT_NE(text.find("[Options]\r\nLan=English\r\nOutputDirectory="), std::string::npos);
}

TEST_F(SettingsFileTest, WithoutAPlacementNoStateIsWrittenButTheBoundsAre) {
  fs.addFile(kBeside, "[Window]\r\nState=3\r\n");
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.WindowState = 0;
  settings.WindowLeft = 1;
  settings.WindowTop = 2;
  settings.WindowWidth = 3;
  settings.WindowHeight = 4;
  ASSERT_EQ(Save(settings), std::nullopt);
  EXPECT_NE(
      FileText(kBeside).find("[Window]\r\nState=3\r\nLeft=1\r\nTop=2\r\nWidth=3\r\nHeight=4\r\n"),
      std::string::npos);
}

TEST_F(SettingsFileTest, ASaveStoresTheSectionChecks) {
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.TreeViewNodeCheck[3] = false;
  ASSERT_EQ(Save(settings), std::nullopt);
  EXPECT_FALSE(Load().TreeViewNodeCheck[3]);
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileWholeAndSaysWhere) {
  const std::string old = "[Options]\r\nLan=German\r\n";
  struct Fault {
    const char* name;
    void (*inject)(MemoryFileSystem&);
  };
  const Fault faults[] = {
      {"disk full", [](MemoryFileSystem& f) { f.setFreeBytes(10); }},
      {"flush fails", [](MemoryFileSystem& f) { f.failFlushes(true); }},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    MemoryFileSystem faulty;
    faulty.addFile(kBeside, old);
    fault.inject(faulty);
    Settings settings = Settings::Defaults(kProgramFolder);
    EXPECT_EQ(LoadSaveOptions(false, faulty, kProgramFolder, kScreen, settings),
              "Unable to write to " + kBeside);
    std::string text;
    faulty.readFile(kBeside, text);
    EXPECT_EQ(text, old);
    EXPECT_EQ(faulty.probe(kBeside + ".tmp"), PathProbe::NotFound);
  }
}

TEST_F(SettingsFileTest, AnUnwritableProgramFolderSendsTheFileToApplicationData) {
  fs.makeReadOnly(kProgramFolder);
  Settings settings = Settings::Defaults(kProgramFolder);
  settings.Lan = "German";
  ASSERT_EQ(Save(settings), std::nullopt);
  EXPECT_EQ(fs.probe(kBeside), PathProbe::NotFound);
  EXPECT_NE(FileText(kInAppData).find("Lan=German"), std::string::npos);
  EXPECT_EQ(Load().Lan, "German");
  // A file that turns up beside the executable in the read-only folder does
  // not hide the one the saves go to.
  fs.addFile(kBeside, "[Options]\r\nLan=French\r\n");
  EXPECT_EQ(Load().Lan, "German");
}

TEST_F(SettingsFileTest, AFileLeftInAReadOnlyProgramFolderIsTakenOverByTheFirstSave) {
  fs.addFile(kBeside, "; the administrator's\r\n[Options]\r\nLan=French\r\nBeep=1\r\n");
  fs.makeReadOnly(kProgramFolder);
  Settings settings = Load();
  EXPECT_EQ(settings.Lan, "French");
  EXPECT_TRUE(settings.Beep);
  settings.Lan = "German";
  ASSERT_EQ(Save(settings), std::nullopt);
  // Load and save agree: the saved file is the one read from now on.
  EXPECT_EQ(Load().Lan, "German");
  EXPECT_TRUE(Load().Beep);
  EXPECT_EQ(FileText(kInAppData).rfind("; the administrator's\r\n", 0), 0u);
  EXPECT_NE(FileText(kBeside).find("Lan=French"), std::string::npos);
  // A writable program folder keeps its own file, and the test of the folder
  // leaves nothing behind.
  MemoryFileSystem portable;
  portable.addFolder(kProgramFolder);
  portable.setSpecialFolder(csidl::kAppData, kAppData);
  portable.addFile(kInAppData, "[Options]\r\nLan=German\r\n");
  portable.addFile(kBeside, "[Options]\r\nLan=French\r\n");
  Settings loaded = Settings::Defaults(kProgramFolder);
  LoadSaveOptions(true, portable, kProgramFolder, kScreen, loaded);
  EXPECT_EQ(loaded.Lan, "French");
  EXPECT_EQ(portable.probe(kBeside + ".tmp"), PathProbe::NotFound);
}

TEST_F(SettingsFileTest, WhenNoFolderIsWritableTheErrorNamesTheProgramsFile) {
  fs.makeReadOnly(kProgramFolder);
  fs.makeReadOnly(kAppData);
  EXPECT_EQ(Save(Settings::Defaults(kProgramFolder)), "Unable to write to " + kBeside);
  MemoryFileSystem noAppData;
  noAppData.addFolder(kProgramFolder);
  noAppData.makeReadOnly(kProgramFolder);
  Settings settings = Settings::Defaults(kProgramFolder);
  EXPECT_EQ(LoadSaveOptions(false, noAppData, kProgramFolder, kScreen, settings),
            "Unable to write to " + kBeside);
}

}  // namespace
}  // namespace hs
