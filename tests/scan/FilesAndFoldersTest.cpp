#include <algorithm>

#include "scan/BareEnumeration.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanTestSupport.h"
#include "scan/UninstallScanners.h"

namespace hs {
namespace {

using test::Rows;
using Strings = std::vector<std::string>;

class FilesAndFoldersTest : public test::ScanFixture {
 protected:
  void SetUp() override {
    files.addFile("C:\\Present\\ok.exe");
    files.setEnvironment("SystemRoot", "C:\\Windows");
    files.addFolder("C:\\Windows");
  }
};

constexpr const char* kCurrentVersion =
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";

TEST_F(FilesAndFoldersTest, Task3LeavesOutItsExcludedSubtreesButNotTheirSiblings) {
  Load(std::string(kCurrentVersion) + "\\Run]\n\"a\"=\"C:\\\\Gone\\\\run.exe\"\n" +
       kCurrentVersion + "\\Run\\Deeper]\n\"b\"=\"C:\\\\Gone\\\\deep.exe\"\n" + kCurrentVersion +
       "\\RunServices]\n\"c\"=\"C:\\\\Gone\\\\svc.exe\"\n" + kCurrentVersion +
       "\\RunOnceEx]\n\"d\"=\"C:\\\\Gone\\\\once.exe\"\n" + kCurrentVersion +
       "\\App Paths\\x.exe]\n@=\"C:\\\\Gone\\\\x.exe\"\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\applications\\y.exe]\n\"e\"=\"C:\\\\Gone\\\\y."
       "exe\"\n");
  Scan({"3"});
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                     "RunOnceEx\\d|C:\\Gone\\once.exe",
                     "1|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                     "RunServices\\c|C:\\Gone\\svc.exe"}));
  EXPECT_EQ(sink.captions, (Strings{"Scanning Files and Folders - HKEY_LOCAL_MACHINE..."}));
  EXPECT_EQ(sink.findings[0].Problem, "Invalid File or Folder");
}

TEST_F(FilesAndFoldersTest, OtherCallersGetNoExclusions) {
  Load(std::string(kCurrentVersion) + "\\Run]\n\"a\"=\"C:\\\\Gone\\\\run.exe\"\n");
  ScanContext& scan = Context();
  scan.ShowTaskCaption("Scanning MRU and History Lists...");
  ScanValueTree(scan, "hkey_local_machine", "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                "P", "", EvidenceRule::FilesAndFoldersValue);
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\a|"
                     "C:\\Gone\\run.exe"}));
}

TEST_F(FilesAndFoldersTest, Task4LeavesOutItsExcludedSubtrees) {
  Load(
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\x]\n\"a\"=\"C:\\\\Gone\\\\a.wav\"\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Names]\n\"b\"=\"C:\\\\Gone\\\\b.wav\"\n"
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\"
      "OpenSaveMRU\\txt]\n\"c\"=\"C:\\\\Gone\\\\c.txt\"\n");
  Scan({"4"});
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|HKEY_CURRENT_USER\\AppEvents\\Schemes\\Names\\b|C:\\Gone\\b.wav"}));
}

TEST_F(FilesAndFoldersTest, OnlyStringValuesAreExaminedAndTheyAreNotExpanded) {
  Load(
      "[HKEY_USERS\\S-1\\Software\\T]\n"
      "\"multi\"=hex(7):43,3a,5c,47,5c,61,00,00\n"
      "\"number\"=dword:00000001\n"
      "\"binary\"=hex:43,3a,5c,47,5c,61\n"
      "\"expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,67,6f,6e,65,2e,64,6c,6c,00\n"
      "\"present\"=\"C:\\\\Present\\\\ok.exe -x\"\n"
      "\"empty\"=\"\"\n");
  Scan({"5"});
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|HKEY_USERS\\S-1\\Software\\T\\expand|%SystemRoot%\\gone.dll"}));
}

TEST_F(FilesAndFoldersTest, ValueNamesThatArePathsGiveKind2AndTheDefaultValueEndsInABackslash) {
  Load(
      "[HKEY_USERS\\S-1\\Paths]\n"
      "\"C:\\\\Gone\\\\lib.dll\"=\"C:\\\\Gone\\\\lib.dll\"\n"
      "\"Path\"=\"C:\\\\Gone\\\\tool.exe\"\n"
      "@=\"C:\\\\Gone\\\\default.exe\"\n");
  Scan({"5"});
  EXPECT_EQ(Rows(sink.findings), (Strings{
                                     "2|HKEY_USERS\\S-1\\Paths|C:\\Gone\\lib.dll",
                                     "1|HKEY_USERS\\S-1\\Paths\\Path|C:\\Gone\\tool.exe",
                                     "1|HKEY_USERS\\S-1\\Paths\\|C:\\Gone\\default.exe",
                                 }));
}

TEST_F(FilesAndFoldersTest, WalksDepthFirstValuesBeforeSubkeys) {
  Load(
      "[HKEY_USERS\\S\\b]\n\"v\"=\"C:\\\\Gone\\\\3.exe\"\n"
      "[HKEY_USERS\\S\\A\\z]\n\"v\"=\"C:\\\\Gone\\\\2.exe\"\n"
      "[HKEY_USERS\\S\\A]\n\"v\"=\"C:\\\\Gone\\\\1.exe\"\n"
      "[HKEY_USERS\\S]\n\"v\"=\"C:\\\\Gone\\\\0.exe\"\n");
  Scan({"5"});
  Strings texts;
  for (const Finding& finding : sink.findings) texts.push_back(finding.ValueText);
  EXPECT_EQ(texts,
            (Strings{"C:\\Gone\\0.exe", "C:\\Gone\\1.exe", "C:\\Gone\\2.exe", "C:\\Gone\\3.exe"}));
  EXPECT_EQ(sink.keys, (Strings{"", "S", "S\\A", "S\\A\\z", "S\\b"}));
}

TEST_F(FilesAndFoldersTest, AnUnknownHiveNameOpensNothing) {
  Load("[HKEY_CURRENT_USER\\X]\n\"v\"=\"C:\\\\Gone\\\\a.exe\"\n");
  ScanContext& scan = Context();
  for (const char* hive : {"HKCU", "HKEY_CURRENT_USERS", "", "HKEY_PERFORMANCE_DATA"})
    ScanValueTree(scan, hive, "X", "P", "", EvidenceRule::FilesAndFoldersValue);
  EXPECT_TRUE(sink.findings.empty());
  EXPECT_TRUE(sink.keys.empty());
}

TEST_F(FilesAndFoldersTest, NestedWow6432NodeIsNotWalkedButTheFirstLevelIs) {
  Load(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\X]\n\"v\"=\"C:\\\\Gone\\\\1.exe\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Wow6432Node\\X]\n\"v\"=\"C:\\\\Gone\\\\2."
      "exe\"\n");
  Scan({"3"});
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\X\\v|C:\\Gone\\1.exe"}));
}

TEST_F(FilesAndFoldersTest, AKeyThatCannotBeOpenedIsSkippedWithItsSubtree) {
  Load(
      "[HKEY_USERS\\S\\Locked\\Below]\n\"v\"=\"C:\\\\Gone\\\\1.exe\"\n"
      "[HKEY_USERS\\S\\Open]\n\"v\"=\"C:\\\\Gone\\\\2.exe\"\n");
  registry.denyAccess("HKEY_USERS\\S\\Locked");
  Scan({"5"});
  EXPECT_EQ(Rows(sink.findings), (Strings{"1|HKEY_USERS\\S\\Open\\v|C:\\Gone\\2.exe"}));
}

// HKEY_CURRENT_USER is the user's SID key under HKEY_USERS; the in-memory
// registry keeps them apart, so only what task 5 walks is seen here.
TEST_F(FilesAndFoldersTest, Task5LeavesOutTheCurrentUsersHiveOnlyWhenTask4RunsToo) {
  Load(
      "[HKEY_USERS\\.DEFAULT\\A]\n\"v\"=\"C:\\\\Gone\\\\default.exe\"\n"
      "[HKEY_USERS\\S-1-5-21-7\\A]\n\"v\"=\"C:\\\\Gone\\\\own.exe\"\n"
      "[HKEY_USERS\\s-1-5-21-7_classes\\A]\n\"v\"=\"C:\\\\Gone\\\\classes.exe\"\n"
      "[HKEY_USERS\\S-1-5-21-70\\A]\n\"v\"=\"C:\\\\Gone\\\\other.exe\"\n"
      "[HKEY_USERS\\S-1-5-21-70\\S-1-5-21-7]\n\"v\"=\"C:\\\\Gone\\\\deeper.exe\"\n");
  settings.CurrentUserSid = "S-1-5-21-7";
  const Strings others = {"1|HKEY_USERS\\.DEFAULT\\A\\v|C:\\Gone\\default.exe",
                          "1|HKEY_USERS\\S-1-5-21-70\\A\\v|C:\\Gone\\other.exe",
                          "1|HKEY_USERS\\S-1-5-21-70\\S-1-5-21-7\\v|C:\\Gone\\deeper.exe"};
  EXPECT_EQ(Rows(Scan({"4", "5"})), others);
  EXPECT_EQ(sink.captions.back(), "Scanning Files and Folders - HKEY_USERS...");

  sink = test::RecordingSink();
  Strings all = others;
  all.insert(all.begin() + 1, "1|HKEY_USERS\\S-1-5-21-7\\A\\v|C:\\Gone\\own.exe");
  all.push_back("1|HKEY_USERS\\s-1-5-21-7_classes\\A\\v|C:\\Gone\\classes.exe");
  EXPECT_EQ(Rows(Scan({"5"})), all);

  sink = test::RecordingSink();
  settings.CurrentUserSid.clear();  // unknown: nothing to leave out
  EXPECT_EQ(Rows(Scan({"5", "4"})), all);
}

TEST_F(FilesAndFoldersTest, ValuesOnTheHiveRootGetASingleBackslash) {
  Load("[HKEY_CURRENT_USER]\n\"v\"=\"C:\\\\Gone\\\\1.exe\"\n");
  Scan({"4"});
  EXPECT_EQ(Rows(sink.findings), (Strings{"1|HKEY_CURRENT_USER\\v|C:\\Gone\\1.exe"}));
}

TEST_F(FilesAndFoldersTest, CountEntriesFollowsChainsOfSingleSubkeys) {
  Load(
      "[HKEY_CURRENT_USER\\E\\empty]\n"
      "[HKEY_CURRENT_USER\\E\\chain\\OpenWithList]\n"
      "[HKEY_CURRENT_USER\\E\\chainvalue\\OpenWithList]\n\"a\"=\"x.exe\"\n"
      "[HKEY_CURRENT_USER\\E\\two\\A]\n[HKEY_CURRENT_USER\\E\\two\\B]\n"
      "[HKEY_CURRENT_USER\\E\\defaultonly]\n@=\"\"\n"
      "[HKEY_CURRENT_USER\\E\\deep\\1\\2\\3]\n\"z\"=dword:0\n"
      "[HKEY_CURRENT_USER\\E\\locked\\x]\n\"a\"=\"1\"\n");
  registry.denyAccess("HKEY_CURRENT_USER\\E\\locked\\x");
  const std::pair<const char*, bool> cases[] = {
      {"E\\empty", true}, {"E\\chain", true},   {"E\\chainvalue", false},
      {"E\\two", false},  {"E\\missing", true}, {"E\\defaultonly", false},
      {"E\\deep", false}, {"E\\locked", false},
  };
  for (const auto& [path, empty] : cases)
    EXPECT_EQ(CountEntries(registry, RootKey::CurrentUser, path) == 0, empty) << path;
  EXPECT_EQ(CountEntries(registry, RootKey::CurrentUser, "E\\two"), 2);
}

// Links back to an ancestor, in the trees the walks read: a walk that went
// through links would never end (the console died of a stack overflow). Each
// walk lists a link but does not go through it, and so reports a value once.
TEST_F(FilesAndFoldersTest, WalksNeverGoThroughRegistryLinks) {
  const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  Load(
      "[HKEY_CURRENT_USER\\Software\\Loop\\Inner]\n\"a\"=\"C:\\\\Gone\\\\a.exe\"\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{L}\\InprocServer32]\n@=\"C:\\\\Gone\\\\l.dll\"\n"
      "[HKEY_CURRENT_USER\\" +
      fileExts + "\\.lop\\Only]\n");
  const auto link = [&](RootKey root, const std::string& path, const std::string& target) {
    ASSERT_TRUE(registry.createLink(root, path, MemoryRegistry::kernelPath(root, target))) << path;
  };
  link(RootKey::CurrentUser, "Software\\Loop\\Inner\\Back", "Software\\Loop");
  link(RootKey::ClassesRoot, "CLSID\\{L}\\InprocServer32\\Back", "CLSID");
  link(RootKey::CurrentUser, fileExts + "\\.lop\\Only\\Back", fileExts + "\\.lop");
  Strings tasks;  // without task 3, whose walk would take the place of task 13's
  for (int task = 4; task <= 22; ++task) tasks.push_back(std::to_string(task));
  Scan(tasks);
  const auto reported = [&](const std::string& text) {
    return std::count_if(sink.findings.begin(), sink.findings.end(),
                         [&](const Finding& f) { return f.ValueText == text; });
  };
  EXPECT_EQ(reported("C:\\Gone\\a.exe"), 1);
  EXPECT_EQ(reported("C:\\Gone\\l.dll"), 1);
  EXPECT_NE(CountEntries(registry, RootKey::CurrentUser, fileExts + "\\.lop"), 0);
  EnumerationCount count;
  BareEnumerate(registry, RootKey::CurrentUser, "Software\\Loop", count);
  EXPECT_EQ(count.keys, 3u);
}

}  // namespace
}  // namespace hs
