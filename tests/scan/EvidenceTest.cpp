// The evidence of every scan task, on one machine holding a flagged entry
// for each check: the rule, the text tested, the path asked and the answer.
#include <gtest/gtest.h>

#include "common/Rot13.h"
#include "findings/EvidenceTexts.h"
#include "scan/RegistryScanHarness.h"

namespace hs {
namespace {

using testing::RegistryScanHarness;

const char* const kWorld = R"REG([HKEY_LOCAL_MACHINE\Software\Vendor]
"Path"="\"%ProgramFiles%\\App\\app.exe\" /min"
"Gone"="C:\\Gone\\Sub\\tool.exe -x"
[HKEY_CURRENT_USER\Software\Vendor]
"Doc"="C:\\Apps\\missing.txt"
[HKEY_USERS\S-1-5-21-9\Software\X]
"v"="C:\\Apps\\u.exe"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\tool.exe]
@="C:\\Apps\\tool.exe"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"Gone (TrueType)"="C:\\Apps\\gone.ttf"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\Help]
"gone.hlp"="C:\\Apps\\"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\Apps\\gone.dll"=dword:00000001
"C:\\Apps\\unused.dll"=dword:00000000
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"Tool"="\"%ProgramFiles%\\App\\app.exe\" /min"
"Blank"=""
[HKEY_LOCAL_MACHINE\Software\Microsoft\Shared Tools\MSConfig\startupreg\Old]
"command"="C:\\Gone\\old.exe /background"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\OldApp]
"DisplayName"="Old"
[HKEY_LOCAL_MACHINE\Software\Classes\.gone]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.old]
[HKEY_CLASSES_ROOT\CLSID\{A}\InprocServer32]
@="C:\\Apps\\gone13.dll"
[HKEY_CLASSES_ROOT\Interface\{I}]
@="IThing"
[HKEY_CLASSES_ROOT\Interface\{I}\TypeLib]
@="{T-none}"
[HKEY_CURRENT_USER\Software\EmptyVendor]
[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\GoneSvc]
"ImagePath"="C:\\Apps\\svc.exe -k x"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu2\Programs\OldFolder]
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\Beep\.Current]
@="%SystemRoot%\\Media\\beep.wav"
[HKEY_CLASSES_ROOT\TypeLib\{T1}\1.0\0\win32]
@="C:\\Apps\\lib.dll"
[HKEY_CLASSES_ROOT\CLSID\{B}]
"AppID"="{AP-none}"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU]
"a"="C:\\Apps\\doc"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\App21]
"UninstallString"="\"C:\\Apps\\unins.exe\" /S"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\Folders]
"C:\\Gone21\\"=""
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\GoneApp]
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\gone.exe\shell\open\command]
@="\"C:\\Apps\\gone22.exe\" \"%1\""
)REG";

// A usage record: its stored (rotated) name and a counter of `runs`.
std::string UsageRecord(const std::string& name, int runs) {
  std::string escaped;
  for (char c : Rot13(name)) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "\"" + escaped + "\"=hex:01,00,00,00,0" + std::to_string(runs) + ",00,00,00\r\n";
}

class Evidence : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Seed(kWorld);
    h.Seed(
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
        "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count]\r\n" +
        UsageRecord("UEME_RUNPATH:C:\\Apps\\run.exe", 3) +
        UsageRecord("UEME_RUNPATH:C:\\Apps\\tool.exe", 0));
    h.files.setEnvironment("ProgramFiles", "C:\\Program Files");
    h.files.setEnvironment("SystemRoot", "C:\\Windows");
    h.files.addFolder("C:\\Program Files\\App");
    h.files.addFolder("C:\\Windows\\Media");
    h.files.addFolder("C:\\Windows\\Fonts");
    h.files.setSpecialFolder(20, "C:\\Windows\\Fonts");
    h.files.addFolder("C:\\Apps");
    h.files.addFolder("C:\\Users\\u\\Programs");
    h.files.setSpecialFolder(csidl::kPrograms, "C:\\Users\\u\\Programs");
    h.files.addFolder("C:\\Users\\u\\Desktop");
    h.files.setSpecialFolder(csidl::kDesktopDirectory, "C:\\Users\\u\\Desktop");
    h.files.addShortcut("C:\\Users\\u\\Desktop\\gone.lnk", "C:\\Apps\\gone17.exe");
  }
  RegistryScanHarness h;
};

struct Expected {
  int task;
  const char* keyEnd;  // the end of the row's key path, or its value text
  EvidenceRule rule;
  const char* tested;
  const char* path;  // "" when nothing was asked of the file system
  EvidenceAnswer answer;
};

using A = EvidenceAnswer;
using R = EvidenceRule;

const Expected kExpected[] = {
    {3, "Vendor\\Path", R::FilesAndFoldersValue, "%ProgramFiles%\\App\\app.exe",
     "C:\\Program Files\\App\\app.exe", A::MissingFile},
    {3, "Vendor\\Gone", R::FilesAndFoldersValue, "C:\\Gone\\Sub\\tool.exe", "C:\\Gone\\",
     A::MissingFolder},
    {4, "Vendor\\Doc", R::FilesAndFoldersValue, "C:\\Apps\\missing.txt", "C:\\Apps\\missing.txt",
     A::MissingFile},
    {5, "X\\v", R::FilesAndFoldersValue, "C:\\Apps\\u.exe", "C:\\Apps\\u.exe", A::MissingFile},
    {6, "App Paths\\tool.exe", R::AppPathsProgram, "C:\\Apps\\tool.exe", "C:\\Apps\\tool.exe",
     A::MissingFile},
    {7, "Gone (TrueType)", R::FontFile, "C:\\Apps\\gone.ttf", "C:\\Apps\\gone.ttf", A::MissingFile},
    {8, "gone.hlp", R::HelpFile, "C:\\Apps\\gone.hlp", "C:\\Apps\\gone.hlp", A::MissingFile},
    {9, "C:\\Apps\\gone.dll", R::SharedDllFile, "C:\\Apps\\gone.dll", "C:\\Apps\\gone.dll",
     A::MissingFile},
    {9, "C:\\Apps\\unused.dll", R::SharedDllUnused, "C:\\Apps\\unused.dll", "", A::UnusedCount},
    {10, "Run\\Tool", R::StartupCommand, "%ProgramFiles%\\App\\app.exe",
     "C:\\Program Files\\App\\app.exe", A::MissingFile},
    {10, "Run\\Blank", R::StartupCommand, "", "", A::EmptyText},
    {10, "startupreg\\Old", R::DisabledStartupCommand, "C:\\Gone\\old.exe", "C:\\Gone\\",
     A::MissingFolder},
    {11, "OldApp", R::UninstallCommand, "OldApp", "", A::NoUninstallCommand},
    {12, ".gone", R::UnusedClassKey, ".gone", "", A::EmptyKey},
    {12, ".old", R::UnusedFileTypeKey, ".old", "", A::EmptyKey},
    {13, "{A}\\InprocServer32", R::ClassDefaultValue, "C:\\Apps\\gone13.dll",
     "C:\\Apps\\gone13.dll", A::MissingFile},
    {13, "Interface\\{I}", R::InterfaceTypeLibrary, "{T-none}", "", A::MissingTypeLibrary},
    {14, "EmptyVendor", R::EmptySoftwareKey, "EmptyVendor", "", A::EmptyKey},
    {15, "GoneSvc\\ImagePath", R::ServiceProgram, "C:\\Apps\\svc.exe", "C:\\Apps\\svc.exe",
     A::MissingFile},
    {16, "OldFolder", R::MenuOrderFolder, "OldFolder", "", A::NoProgramFolder},
    {17, "gone.lnk", R::ShortcutTarget, "C:\\Apps\\gone17.exe", "C:\\Apps\\gone17.exe",
     A::MissingFile},
    {18, "Beep\\.Current", R::SoundFile, "%SystemRoot%\\Media\\beep.wav",
     "C:\\Windows\\Media\\beep.wav", A::MissingFile},
    {19, "win32\\", R::TypeLibraryFile, "C:\\Apps\\lib.dll", "C:\\Apps\\lib.dll", A::MissingFile},
    {19, "CLSID\\{B}", R::ClassAppId, "{AP-none}", "", A::MissingAppId},
    {20, "OpenSaveMRU\\a", R::RecentDocument, "C:\\Apps\\doc", "C:\\Apps\\doc", A::MissingFile},
    {20, "UEME_RUNPATH:C:\\Apps\\run.exe", R::UsageRecordProgram, "C:\\Apps\\run.exe",
     "C:\\Apps\\run.exe", A::MissingFile},
    {20, "UEME_RUNPATH:C:\\Apps\\tool.exe", R::UsageRecordUnused, "UEME_RUNPATH:C:\\Apps\\tool.exe",
     "", A::NoRunsCounted},
    {21, "App21\\UninstallString", R::InstallerFile, "C:\\Apps\\unins.exe", "C:\\Apps\\unins.exe",
     A::MissingFile},
    {21, "C:\\Gone21\\", R::InstallerFolder, "C:\\Gone21\\", "C:\\Gone21\\", A::MissingFolder},
    {21, "GoneApp", R::ArpCacheEntry, "GoneApp", "", A::NoUninstallEntry},
    {22, "gone.exe\\shell\\open\\command", R::ApplicationCommand, "C:\\Apps\\gone22.exe",
     "C:\\Apps\\gone22.exe", A::MissingFile},
};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(Evidence, EveryTaskNamesItsCheckTheTextTestedThePathAskedAndTheAnswer) {
  for (const Expected& expected : kExpected) {
    SCOPED_TRACE("task " + std::to_string(expected.task) + ", " + expected.keyEnd);
    const std::vector<Finding> rows = h.Run(expected.task);
    const Finding* row = nullptr;
    for (const Finding& candidate : rows)
      if (EndsWith(candidate.KeyPath, expected.keyEnd) || candidate.ValueText == expected.keyEnd)
        row = &candidate;
    ASSERT_NE(row, nullptr) << ::testing::PrintToString(testing::FindingRows(rows));
    const FindingEvidence& evidence = row->Evidence;
    EXPECT_EQ(evidence.Rule(), expected.rule);
    EXPECT_EQ(evidence.Tested(), expected.tested);
    EXPECT_EQ(evidence.AskedPath(), expected.path);
    EXPECT_EQ(evidence.Answer(), expected.answer);
  }
}

// A text met again is answered from memory; its evidence must be its own,
// not the last one found.
TEST_F(Evidence, ARememberedAnswerKeepsItsOwnEvidence) {
  h.Seed(R"([HKEY_CURRENT_USER\Software\Again]
"1"="C:\\Apps\\first.exe"
"2"="C:\\Gone\\second.exe"
"3"="C:\\Apps\\first.exe"
)");
  std::vector<std::string> asked;
  for (const Finding& row : h.Run(4))
    if (row.KeyPath.find("\\Again\\") != std::string::npos)
      asked.push_back(row.Evidence.AskedPath());
  EXPECT_EQ(asked,
            (std::vector<std::string>{"C:\\Apps\\first.exe", "C:\\Gone\\", "C:\\Apps\\first.exe"}));
}

TEST(EvidenceTexts, EveryCheckAndAnswerHasWordsAndEveryAnswerADistinctName) {
  const EvidenceTexts texts;
  for (int rule = 1; rule < static_cast<int>(EvidenceRule::Count); ++rule)
    EXPECT_FALSE(texts.Rule(static_cast<EvidenceRule>(rule)).empty()) << rule;
  std::set<std::string_view> names;
  for (int answer = 1; answer < static_cast<int>(EvidenceAnswer::Count); ++answer) {
    EXPECT_FALSE(texts.Answer(static_cast<EvidenceAnswer>(answer)).empty()) << answer;
    EXPECT_TRUE(names.insert(EvidenceAnswerName(static_cast<EvidenceAnswer>(answer))).second);
  }
}

}  // namespace
}  // namespace hs
