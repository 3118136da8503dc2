#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"
#include "scan/PathExistenceMemo.h"
#include "scan/ReferenceCheck.h"

namespace hs {
namespace {

struct Case {
  const char* text;
  const char* fileName;
  bool acceptFolder;
  bool expected;
  const char* why;
  bool wow64 = false;
  bool removable = false;
};

class ReferenceCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.setDriveType('d', DriveType::CdRom);
    files.addFile("C:\\Windows\\notepad.exe");
    files.addFile("C:\\Windows\\system32\\x.dll");
    files.addFile("C:\\Windows\\system32\\cmd.exe");
    files.addFolder("C:\\Tools");
    files.addFile("C:\\Tools\\app.exe");
    files.addFolder("C:\\Tools\\mytool.exe");
    files.addFile("C:\\Program Files\\App\\app.exe");
    files.addFile("C:\\App\\app.exe");
    files.addFolder("C:\\Data");
    files.addFile("C:\\a.exe");
    files.addFile("C:\\Apps\\Tool.exe");
    files.addFile("C:\\Rundll\\run.exe");
    files.addFolder("C:\\Locked");
    files.denyAccess("C:\\Locked");
    files.addFile("D:\\x\\y.exe");
    files.setEnvironment("SystemRoot", "C:\\Windows");
    files.setEnvironment("ComSpec", "C:\\Windows\\system32\\cmd.exe");
    files.setEnvironment("Padded", "  C:\\Tools  ");
  }

  bool Check(const Case& c) {
    DriveFlags drives;
    drives.ScanDrives = c.removable ? "abcefg" : "c";
    drives.RunsOnWow64 = c.wow64;
    PathExistenceMemo memo(files, nullptr);
    PathChecker checker(files, memo, drives, c.removable);
    return checker.ReferenceIsMissing(c.text, c.fileName, drives.ScanDrives, c.acceptFolder);
  }

  MemoryFileSystem files;
};

TEST_F(ReferenceCheckTest, JudgesRegistryStringsConservatively) {
  const Case cases[] = {
      {"", "", false, false, "empty text"},
      {"C:\\hp\\gone.exe", "", false, false, "contains \\hp"},
      {"C:\\HPx\\gone.exe", "", false, false, "contains \\HP in any case"},
      {"D:\\x\\gone.exe", "", false, false, "drive not scanned"},
      {"C:\\Windows\\notepad.exe /p file.txt", "", false, false, "found at the blank"},
      {"C:\\Windows\\notepad /p", "", false, false, ".exe tried at the blank"},
      {"C:\\Windows\\notepad", "", false, false, ".exe tried at the end"},
      {"C:\\Tools\\gone.exe", "", false, true, "existing folder, missing file"},
      {"C:\\Tools\\gone.exe;", "", false, true, "trailing semicolon, missing"},
      {"C:\\Tools\\app.exe;", "", false, false, "trailing semicolon, present"},
      {"C:\\Tools\\app.exe;;", "", false, false, "semicolons removed one by one"},
      {"C:\\NoSuchDir\\app.exe", "", false, true, "no folder, no file"},
      {"C:\\NoSuchDir\\", "", false, true, "missing folder with backslash"},
      {"C:\\Data\\", "", false, false, "existing folder with backslash"},
      {"\"C:\\Program Files\\App\\app.exe\" -min", "", false, false, "quotes and argument dropped"},
      {"\"C:\\Program Files\\App\\gone.exe\" -min", "", false, true, "quoted missing file"},
      {"\"", "", false, false, "a lone quote"},
      {"\"\"", "", false, false, "two quotes: empty path"},
      {"%SystemRoot%\\system32\\x.dll", "", false, false, "variable names a folder: judged"},
      {"%SystemRoot%\\system32\\gone.dll", "", false, true, "expanded and missing"},
      {"%ComSpec% /c gone", "", false, false, "variable names a file: not judged"},
      {"%Unknown%\\gone.dll", "", false, false, "unknown variable"},
      {"%", "", false, false, "lone percent"},
      {"%Padded%\\gone.exe", "", false, true, "expansion trimmed"},
      {"C:\\a.exe D:\\b.txt", "", false, false, "second drive path"},
      {"C:\\App\\app.exe -x", "app.exe", false, false, "file name, present"},
      {"C:\\App\\gone.exe -x", "gone.exe", false, true, "file name, missing"},
      {"C:\\App\\other.exe", "app.exe", false, false, "file name absent from text"},
      {"C:\\Tools\\app.exe", "app", false, false, "name without extension: .exe tried"},
      {"C:\\App\\gone.exe", "gone", false, true, "name without extension, missing"},
      {"C:\\Tools\\mytool.exe\\", "mytool.exe", true, true, "with a file name only a file counts"},
      {"C:\\Tools\\mytool.exe", "", true, false, "folder accepted"},
      {"C:\\Tools\\mytool.exe", "", false, true, "folder not accepted"},
      {"C:\\Locked\\app.exe", "", false, false, "access denied counts as present"},
      {"C:\\Locked\\app.exe", "app.exe", false, false, "access denied, with file name"},
      {"C:\\Tools\\*.exe", "", false, true, "wildcards are literal"},
      {"C:\\Tools\\gone?.exe", "", false, true, "question mark is literal"},
      {"C:\\Tools\\app?.exe", "", false, false, "delimiter: app.exe tried before it"},
      {"C:\\Apps\\Tool.exe/Automation", "", false, false, "argument glued on"},
      {"C:\\Rundll\\run.exe file.dll,Entry", "", false, false, "command with arguments"},
      {"C:\\Gone\\run.exe file.dll,Entry", "", false, true, "missing command"},
      {"C:\\PROGRAM FILES\\APP\\APP.EXE", "", false, false, "case does not matter"},
      {"C:\\Windows\\system32\\gone.dll", "", false, false, "wow64: system32", true},
      {"c:\\program files\\gone.exe", "", false, false, "wow64: Program Files any case", true},
      {"C:\\ProgramFiles\\gone.exe", "", false, false, "wow64: ProgramFiles", true},
      {"%SystemRoot%\\SYSTEM32\\gone.dll", "", false, false, "wow64: after expansion", true},
      {"C:\\Tools\\gone.exe", "", false, true, "wow64: other paths judged", true},
      {"A:\\setup.exe", "", false, true, "no disk in A:", false, true},
      {"B:\\setup.exe", "", false, true, "no disk in B:", false, true},
      {"G:\\setup.exe", "", false, true, "removable media: any letter judged", false, true},
      {"\\??\\C:\\Tools\\gone.exe", "", false, false, "object path: not judged"},
      {"Tools\\gone.exe", "", false, false, "relative path: not judged"},
      {"C\\Windows\\gone.exe", "", false, false, "no colon: not judged"},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c), c.expected) << c.text << " (" << c.why << ")";
}

TEST_F(ReferenceCheckTest, TextWhoseCapitalsChangeLengthIsCutAtTheFileName) {
  // U+2C65 shrinks by a byte when upper-cased and U+0250 grows by one: the
  // text and its capitals are as long, but the file name sits elsewhere.
  files.addFile("C:\\Apps\xE2\xB1\xA5\\app.exe");
  const std::string present = "C:\\Apps\xE2\xB1\xA5\\app.exe \xC9\x90";
  const std::string missing = "C:\\Apps\xE2\xB1\xA5\\gone.exe \xC9\x90";
  EXPECT_FALSE(Check({present.c_str(), "app.exe", false, false, "file name, present"}));
  EXPECT_TRUE(Check({missing.c_str(), "gone.exe", false, true, "file name, missing"}));
  EXPECT_FALSE(Check({present.c_str(), "", false, false, "no file name, present"}));
}

TEST_F(ReferenceCheckTest, ExpandSystemPathKeepsTextUnlessItNamesAFolder) {
  DriveFlags drives;
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  EXPECT_EQ(checker.ExpandSystemPath("%SystemRoot%"), "C:\\Windows");
  EXPECT_EQ(checker.ExpandSystemPath("%Padded%"), "C:\\Tools");
  EXPECT_EQ(checker.ExpandSystemPath("%ComSpec%"), "%ComSpec%");
  EXPECT_EQ(checker.ExpandSystemPath("%Nope%"), "%Nope%");
}

TEST_F(ReferenceCheckTest, AsksEachPathOfTheFileSystemOncePerMemo) {
  DriveFlags drives;
  drives.ScanDrives = "c";
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  const std::uint64_t before = files.probeCount();
  EXPECT_TRUE(
      checker.ReferenceIsMissing("C:\\Tools\\gone.exe /a /b", "", drives.ScanDrives, false));
  const std::uint64_t first = files.probeCount() - before;
  EXPECT_TRUE(
      checker.ReferenceIsMissing("c:\\tools\\GONE.exe /a /b", "", drives.ScanDrives, false));
  EXPECT_EQ(files.probeCount() - before, first) << "second text asks nothing new";
  EXPECT_EQ(memo.Queries(), first);
  memo.Clear();
  EXPECT_EQ(memo.Size(), 0u);
}

TEST_F(ReferenceCheckTest, APathBelowAMissingFolderIsNotAskedCharacterByCharacter) {
  DriveFlags drives;
  drives.ScanDrives = "c";
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  const std::uint64_t before = files.probeCount();
  EXPECT_TRUE(checker.ReferenceIsMissing("C:\\NoSuchDir\\a-rather-long-program-name.exe", "",
                                         drives.ScanDrives, false));
  EXPECT_LT(files.probeCount() - before, 20u);
}

// The walk remembers how it ended at each folder prefix; texts judged after
// it must get the verdicts a fresh checker gives, at a fraction of the cost.
TEST_F(ReferenceCheckTest, FoldersWalkedOnceDecideLaterTextsAsAFreshWalkWould) {
  files.addFile("C:\\Data\\run.exe");
  DriveFlags drives;
  drives.ScanDrives = "c";
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  const auto judge = [&](const char* text) {
    return checker.ReferenceIsMissing(text, "", drives.ScanDrives, false);
  };
  EXPECT_TRUE(judge("C:\\Program Files\\Gone Maker\\Product\\a.exe"));
  EXPECT_TRUE(judge("C:\\Data\\Sub\\a.exe"));
  const std::uint64_t before = memo.Lookups();
  EXPECT_TRUE(judge("C:\\Program Files\\Gone Maker\\Product\\b.exe -x"));
  EXPECT_LE(memo.Lookups() - before, 2u) << "the folders were walked already";

  for (const char* text : {
           "c:\\program files\\gone maker\\other\\c.exe",
           "C:\\Program Files\\Gone Maker\\..\\App\\app.exe",  // dots: resolved by the system
           "C:\\Program Files\\Gone Maker/..\\App\\app.exe",
           "C:\\Program Files\\Gone Maker\\Product\\b.exe /x",
           "C:\\Program Files\\Gone Maker\\..\\App\\app.exe -x\\y",
           "C:\\Data\\run.exe\\x\\y.dll",  // a file after a folder passed cleanly
           "C:\\Data\\run.exe -x\\y.dll",
           "C:\\Data\\Sub\\..\\run.exe",
           "C:\\Data\\Sub.\\b.exe",
       })
    EXPECT_EQ(judge(text), Check({text, "", false, false, ""})) << text;
}

TEST_F(ReferenceCheckTest, DotComponentsAreStillFoundThroughAMissingFolder) {
  // The system resolves ".." lexically, so a missing folder proves nothing.
  DriveFlags drives;
  drives.ScanDrives = "c";
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  EXPECT_FALSE(checker.ReferenceIsMissing("C:\\Gone\\..\\Windows\\notepad.exe", "",
                                          drives.ScanDrives, false));
}

TEST_F(ReferenceCheckTest, DeviceNamesAlongTheWayAreNoFiles) {
  // The system answers "C:\\Program Files\\Con" for the console device; a
  // stand-in file of that name plays the device here.
  for (const char* device : {"Con", "nul.txt", "COM1", "aux ", "lpt9.exe"})
    files.addFile(std::string("C:\\Dev\\") + device);
  DriveFlags drives;
  drives.ScanDrives = "c";
  PathExistenceMemo memo(files, nullptr);
  PathChecker checker(files, memo, drives, false);
  for (const char* text : {"C:\\Dev\\Contoso Tools\\ctool.exe", "C:\\Dev\\nul.txt\\x.exe",
                           "C:\\Dev\\COM1 Backup\\x.exe", "C:\\Dev\\lpt9.exe.old\\x"})
    EXPECT_TRUE(checker.ReferenceIsMissing(text, "", drives.ScanDrives, false)) << text;
  files.addFile("C:\\Dev\\Com10");
  EXPECT_FALSE(checker.ReferenceIsMissing("C:\\Dev\\Com10 x", "", drives.ScanDrives, false));
}

TEST(ArgumentDelimiters, AreExactlyTheListedCharacters) {
  std::string delimiters;
  for (int c = 1; c < 256; ++c)
    if (IsArgumentDelimiter(static_cast<char>(c))) delimiters += static_cast<char>(c);
  EXPECT_EQ(delimiters, " *,/:;<>?|");
}

}  // namespace
}  // namespace hs
