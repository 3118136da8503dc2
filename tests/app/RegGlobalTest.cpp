#include <gtest/gtest.h>

#include "app/RegGlobal.h"
#include "app/SharedHelpers.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"

namespace hs {
namespace {

const std::string kFolder = "C:\\Hivesweep\\";

// Backends the process-wide state points at between tests, alive to the end.
MemoryFileSystem& IdleFileSystem() {
  static MemoryFileSystem fs;
  return fs;
}
MemoryRegistry& IdleRegistry() {
  static MemoryRegistry registry;
  return registry;
}

// Points the process-wide state at fresh memory backends; restores it after.
class ProcessStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedSettings = AppSettings();
    m_savedFolder = ProgramFolder();
    fs.addFolder(kFolder);
    SetProgramEnvironment(fs, kFolder);
    SetProgramRegistry(registry);
  }
  void TearDown() override {
    AppSettings() = m_savedSettings;
    SetProgramEnvironment(IdleFileSystem(), m_savedFolder);
    SetProgramRegistry(IdleRegistry());
    SetSystemFacts({});
  }

  MemoryFileSystem fs;
  MemoryRegistry registry;

 private:
  Settings m_savedSettings;
  std::string m_savedFolder;
};

using GetLanStringTest = ProcessStateTest;

TEST_F(GetLanStringTest, EnglishInAnyCaseNeverReadsAFile) {
  fs.addFile(kFolder + "Lan_English.ini", "[ResourceString]\r\nRES_Startup=Translated\r\n");
  for (const char* english : {"English", "english", "ENGLISH"}) {
    AppSettings().Lan = english;
    EXPECT_EQ(GetLanString("RES_Startup", "Startup"), "Startup") << english;
  }
}

TEST_F(GetLanStringTest, TranslationsFallBackToEnglishWhereTheyHaveNoText) {
  fs.addFile(kFolder + "Lan_German.ini",
             "[ResourceString]\r\nRES_Startup=Autostart\r\nRES_Common_Startup=\r\n"
             "[Other]\r\nRES_ThereTotal=wrong section\r\n");
  struct Case {
    const char* language;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"German", "RES_Startup", "Autostart"},           {"german", "res_startup", "Autostart"},
      {"German", "RES_ThereTotal", "English text"},      // key missing in its section
      {"German", "RES_Common_Startup", "English text"},  // key without text
      {"French", "RES_Startup", "English text"},         // no such file
      {"..\\German", "RES_Startup", "English text"},     // not a language name
      {"C:German", "RES_Startup", "English text"},      {"", "RES_Startup", "English text"},
  };
  for (const Case& c : cases) {
    AppSettings().Lan = c.language;
    EXPECT_EQ(GetLanString(c.key, "English text"), c.expected) << c.language << " " << c.key;
  }
}

TEST_F(GetLanStringTest, EachCallReadsTheFileAfresh) {
  AppSettings().Lan = "German";
  fs.addFile(kFolder + "Lan_German.ini", "[ResourceString]\r\nRES_Startup=Erst\r\n");
  EXPECT_EQ(GetLanString("RES_Startup", "Startup"), "Erst");
  fs.addFile(kFolder + "Lan_German.ini", "[ResourceString]\r\nRES_Startup=Zweit\r\n");
  EXPECT_EQ(GetLanString("RES_Startup", "Startup"), "Zweit");
  fs.remove(kFolder + "Lan_German.ini");
  EXPECT_EQ(GetLanString("RES_Startup", "Startup"), "Startup");
}

TEST(WindowsVersionCode, EveryRowOfTheVersionTable) {
  struct Case {
    std::uint32_t platform, major, minor;
    int code;
  };
  const std::uint32_t nt = kPlatformWin32Nt, win9x = 1, win32s = 0;
  const Case cases[] = {
      {nt, 3, 51, 5},     {nt, 3, 10, 5},    {nt, 4, 0, 6},     {nt, 5, 0, 7},
      {nt, 5, 1, 9},      {nt, 5, 2, 10},    {nt, 5, 3, 10},    {nt, 6, 0, 11},
      {nt, 6, 1, 12},     {nt, 6, 2, 11},    {nt, 6, 3, 11},    {nt, 10, 0, 10},
      {nt, 2, 0, 10},     {nt, 0, 0, 10},    {win9x, 4, 0, 1},  {win9x, 4, 10, 3},
      {win9x, 4, 90, 8},  {win9x, 4, 1, 10}, {win9x, 5, 0, 10}, {win32s, 4, 0, 1},
      {win32s, 3, 1, 10}, {3, 4, 10, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WindowsVersionCodeFor({c.platform, c.major, c.minor}), c.code)
        << c.platform << " " << c.major << "." << c.minor;
}

using SystemFactsTest = ProcessStateTest;

TEST_F(SystemFactsTest, VersionCodeAndWow64ComeFromTheFactsSetAtStart) {
  EXPECT_EQ(WindowsVersionCode(), 10);  // unknown until set
  EXPECT_FALSE(IsWow64());
  EXPECT_EQ(CurrentUserSid(), "");
  SetSystemFacts({{kPlatformWin32Nt, 6, 1}, true, "S-1-5-21-1-2-3-1000"});
  EXPECT_EQ(WindowsVersionCode(), 12);
  EXPECT_TRUE(IsWow64());
  EXPECT_EQ(CurrentUserSid(), "S-1-5-21-1-2-3-1000");
}

TEST(TwoDigits, PadsNumbersUpToNine) {
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(9), "09");
  EXPECT_EQ(TwoDigits(10), "10");
  EXPECT_EQ(TwoDigits(59), "59");
  EXPECT_EQ(TwoDigits(2026), "2026");
}

using SharedHelpersTest = ProcessStateTest;

TEST_F(SharedHelpersTest, DeleteFileSilentlyRemovesFilesAndFoldersAndSaysWhenItCannot) {
  fs.addFile(kFolder + "Backup\\Backup20260101.reg", "x");
  EXPECT_TRUE(DeleteFileSilently(kFolder + "Backup\\Backup20260101.reg"));
  EXPECT_EQ(fs.probe(kFolder + "Backup\\Backup20260101.reg"), PathProbe::NotFound);
  EXPECT_TRUE(DeleteFileSilently(kFolder + "Backup"));
  EXPECT_FALSE(DeleteFileSilently(kFolder + "Backup"));
}

TEST_F(SharedHelpersTest, WriteUserRegStringCreatesTheKeyAndWritesNothingWhereItCannotOpen) {
  const std::string regedit = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  EXPECT_TRUE(WriteUserRegString(regedit, "LastKey", "HKEY_CURRENT_USER\\Software"));
  TRegistry check(registry, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(check.OpenPath(regedit));
  EXPECT_EQ(check.ReadValueText("LastKey"), "HKEY_CURRENT_USER\\Software");

  registry.denyAccess("HKEY_CURRENT_USER\\Software\\Locked");
  EXPECT_FALSE(WriteUserRegString("Software\\Locked", "LastKey", "x"));
  TRegistry locked(registry, RootKey::CurrentUser, RegAccess::Read);
  EXPECT_FALSE(locked.OpenPath("Software\\Locked"));
}

}  // namespace
}  // namespace hs
