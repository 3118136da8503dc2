#include "scan/FileReferenceScanners.h"
#include "scan/ScanTestSupport.h"

namespace hs {
namespace {

using test::Rows;
using Strings = std::vector<std::string>;

constexpr const char* kCv = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";

class FileReferenceScannersTest : public test::ScanFixture {
 protected:
  void SetUp() override {
    files.addFile("C:\\Office\\winword.exe");
    files.addFile("C:\\Tools\\MyTool.exe");
    files.addFolder("C:\\Tools\\folder.exe");
    files.addFile("C:\\Windows\\Fonts\\arial.ttf");
    files.addFile("C:\\Windows\\System32\\ok.dll");
    files.addFile("C:\\Windows\\System32\\zero.dll");
    files.addFile("C:\\Help\\ok.hlp");
    files.setSpecialFolder(20, "C:\\Windows\\Fonts");
    files.setDriveType('a', DriveType::Removable);
    files.setVolumeReady('a', false);
  }
  std::string Key(const std::string& rest) { return "[" + std::string(kCv) + rest + "]\n"; }
};

TEST_F(FileReferenceScannersTest, SoftwareLocationsReportTheWholeSubkeyOfAMissingProgram) {
  Load(Key("\\App Paths\\winword.exe") + "@=\"C:\\\\Office\\\\WINWORD.EXE /n\"\n" +
       Key("\\App Paths\\gone.exe") + "@=\"C:\\\\Office\\\\gone.exe /n\"\n" +
       Key("\\App Paths\\readme.txt") + "@=\"C:\\\\Gone\\\\readme.txt\"\n" +
       Key("\\App Paths\\MyTool") + "@=\"C:\\\\Tools\\\\MyTool.exe\"\n" +
       Key("\\App Paths\\Gadget") + "@=\"C:\\\\Tools\\\\Gadget.exe\"\n" +
       Key("\\App Paths\\folder.exe") + "@=\"C:\\\\Tools\\\\folder.exe\\\\\"\n" +
       Key("\\App Paths\\other.exe") + "@=\"C:\\\\Tools\\\\unrelated.exe\"\n" +
       Key("\\App Paths\\empty.exe") + "@=\"\"\n" + Key("\\App Paths\\number.exe") +
       "@=dword:00000001\n");
  Scan({"6"});
  const std::string appPaths = std::string(kCv) + "\\App Paths\\";
  EXPECT_EQ(Rows(sink.findings), (Strings{
                                     "0|" + appPaths + "folder.exe|C:\\Tools\\folder.exe\\",
                                     "0|" + appPaths + "Gadget|C:\\Tools\\Gadget.exe",
                                     "0|" + appPaths + "gone.exe|C:\\Office\\gone.exe /n",
                                 }));
  for (const std::string& key : sink.keys) EXPECT_EQ(key.find("readme"), std::string::npos);
  EXPECT_EQ(sink.captions, (Strings{"Scanning Software Locations..."}));
  EXPECT_EQ(sink.findings[0].Problem, "Software Locations Issue");
}

TEST_F(FileReferenceScannersTest, FontsInTheFontsFolderOrNamedBareAreNotReported) {
  Load(Key("\\Fonts").replace(29, 0, "") +  // the 9x key is not read on NT versions
       "\"Nine\"=\"C:\\\\Gone\\\\nine.ttf\"\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\n"
       "\"Arial\"=\"arial.ttf\"\n"
       "\"Bare\"=\"gone.ttf\"\n"
       "\"Gone\"=\"C:\\\\Fonts\\\\gone.ttf\"\n"
       "\"Full\"=\"C:\\\\Windows\\\\Fonts\\\\arial.ttf\"\n"
       "\"Floppy\"=\"A:\\\\x.ttf\"\n");
  settings.IncludeRemoveMedia = true;
  Scan({"7"});
  const std::string nt =
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|" + nt + "\\Gone|C:\\Fonts\\gone.ttf", "1|" + nt + "\\Floppy|A:\\x.ttf"}));
  EXPECT_EQ(sink.findings[0].Problem, "Fonts Issue");
}

TEST_F(FileReferenceScannersTest, FontsKeyFollowsTheWindowsVersion) {
  const std::string nt = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::string nine = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
  for (int code : {0, 5, 6, 7, 9, 10, 11, 12}) EXPECT_EQ(FontsKeyFor(code), nt) << code;
  for (int code : {1, 2, 3, 4, 8, 13, -1}) EXPECT_EQ(FontsKeyFor(code), nine) << code;
}

TEST_F(FileReferenceScannersTest, HelpFilesAreJudgedAsFolderPlusName) {
  Load(std::string("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help]\n") +
       "\"ok.hlp\"=\"C:\\\\Help\"\n"
       "\"gone.hlp\"=\"C:\\\\Help\\\\\"\n"
       "\"bare.hlp\"=\"\"\n"
       "\"sub\\\\x.hlp\"=\"C:\\\\Help\"\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Html Help]\n"
       "\"gone.chm\"=\"C:\\\\NoHelp\"\n");
  Scan({"8"});
  const std::string help = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help";
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|" + help + "\\gone.hlp|C:\\Help\\gone.hlp", "2|" + help + "|sub\\x.hlp",
                     "1|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Html Help\\gone.chm|"
                     "C:\\NoHelp\\gone.chm"}));
}

TEST_F(FileReferenceScannersTest, SharedDllsReportMissingLibrariesAndZeroCounts) {
  Load(Key("\\SharedDlls") +
       "\"C:\\\\Windows\\\\System32\\\\ok.dll\"=dword:00000003\n"
       "\"c:\\\\windows\\\\system32\\\\ZERO.DLL\"=dword:00000000\n"
       "\"C:\\\\Gone\\\\gone.dll\"=dword:00000001\n"
       "\"A:\\\\lib.dll\"=dword:00000005\n"
       "\"C:\\\\Gone\\\\text.dll\"=\"1\"\n");
  settings.IncludeRemoveMedia = true;
  Scan({"9"});
  const std::string key = std::string(kCv) + "\\SharedDlls";
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"2|" + key + "|c:\\windows\\system32\\ZERO.DLL",
                     "2|" + key + "|C:\\Gone\\gone.dll", "2|" + key + "|A:\\lib.dll"}));
}

TEST_F(FileReferenceScannersTest, StartupProgramsReportEmptyQuotedAndMissingCommands) {
  Load(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
      "\"Empty\"=\"\"\n"
      "\"Quotes\"=\"\\\"\\\"\"\n"
      "\"Ok\"=\"\\\"C:\\\\Office\\\\winword.exe\\\" /q\"\n"
      "\"a\\\\b\"=\"C:\\\\Gone\\\\x.exe\"\n"
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\n"
      "\"Once\"=\"C:\\\\Gone\\\\once.exe\"\n" +
      Key("\\Run") + "\"Machine\"=\"C:\\\\Gone\\\\m.exe -x\"\n" + Key("\\RunOnce") +
      "\"Number\"=dword:00000000\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\A]\n"
      "\"command\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\B]\n"
      "\"command\"=\"C:\\\\Gone\\\\b.exe\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\C]\n"
      "\"command\"=\"C:\\\\Office\\\\winword.exe\"\n");
  Scan({"10"});
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"1|" + run + "\\Empty|", "1|" + run + "\\Quotes|\"\"", "2|" + run + "|a\\b",
                     "1|" + run + "Once\\Once|C:\\Gone\\once.exe",
                     "1|" + std::string(kCv) + "\\Run\\Machine|C:\\Gone\\m.exe -x",
                     "0|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shared Tools\\MSConfig\\"
                     "startupreg\\B|C:\\Gone\\b.exe"}));
  EXPECT_EQ(sink.findings[0].Problem, "Missing Startup Programs");
}

TEST_F(FileReferenceScannersTest, RunKeyOfAnUnknownHiveDoesNothing) {
  Load("[HKEY_CURRENT_USER\\Run]\n\"x\"=\"\"\n");
  ScanContext& scan = Context();
  ScanRunKey(scan, "HKCU", "Run", "P");
  EXPECT_TRUE(sink.findings.empty());
  ScanRunKey(scan, "hkey_current_user", "Run", "P");
  EXPECT_EQ(Rows(sink.findings), (Strings{"1|HKEY_CURRENT_USER\\Run\\x|"}));
}

}  // namespace
}  // namespace hs
