#include <gtest/gtest.h>

#include <stdexcept>

#include "scan/RegistryScanHarness.h"

namespace hs {
namespace {

using testing::FindingRows;
using testing::RegistryScanHarness;
using Strings = std::vector<std::string>;

const char* const kMenu2 =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
    "Start Menu2\\Programs";
const char* const kMenu =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
    "Start Menu\\Programs";
const char* const kMenuAmp =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
    "Start Menu\\&Programs";

class StartMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    h.files.setSpecialFolder(csidl::kPrograms, "C:\\Users\\u\\Programs");
    h.files.setSpecialFolder(csidl::kCommonPrograms, "C:\\All\\Programs");
    h.files.addFolder("C:\\Users\\u\\Programs\\Editor");
    h.files.addFolder("C:\\All\\Programs\\Shared Tools");
    h.files.addFile("C:\\Users\\u\\Programs\\Loose");  // a file, not a folder
  }
  void SeedMenuOrder(const char* key, const std::vector<std::string>& subkeys) {
    std::string lines;
    for (const std::string& name : subkeys) lines += "[" + std::string(key) + "\\" + name + "]\r\n";
    h.Seed(lines);
  }
  RegistryScanHarness h;
};

TEST_F(StartMenu, OrphanedMenuOrderSubkeysInAllThreeKeys) {
  SeedMenuOrder(kMenu2, {"EDITOR", "shared tools", "Editor Extras", "Loose", "Gone"});
  SeedMenuOrder(kMenu, {"Gone Too"});
  SeedMenuOrder(kMenuAmp, {"Editor", "Gone Three"});
  EXPECT_EQ(
      FindingRows(h.Run(16)),
      (Strings{std::string(kMenu2) + " | Editor Extras | 3", std::string(kMenu2) + " | Gone | 3",
               std::string(kMenu2) + " | Loose | 3", std::string(kMenu) + " | Gone Too | 3",
               std::string(kMenuAmp) + " | Gone Three | 3"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Old Start Menu Key");
}

TEST_F(StartMenu, NothingIsJudgedWhenAProgramsFolderCannotBeListed) {
  SeedMenuOrder(kMenu2, {"Gone"});
  h.files.denyAccess("C:\\All\\Programs");
  EXPECT_TRUE(h.Run(16).empty());
}

TEST_F(StartMenu, AMissingCommonProgramsFolderHoldsNothing) {
  SeedMenuOrder(kMenu2, {"Editor", "Shared Tools"});
  h.files.remove("C:\\All\\Programs");
  EXPECT_EQ(FindingRows(h.Run(16)), (Strings{std::string(kMenu2) + " | Shared Tools | 3"}));
}

class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    h.files.setSpecialFolder(csidl::kCommonStartMenu, "C:\\All\\Start");
    h.files.setSpecialFolder(csidl::kCommonDesktopDirectory, "C:\\All\\Desktop");
    h.files.setSpecialFolder(csidl::kAppData, "C:\\Users\\u\\AppData");
    h.files.setSpecialFolder(csidl::kRecent, "C:\\Users\\u\\AppData\\Recent");
    h.files.setSpecialFolder(csidl::kStartMenu, "C:\\Users\\u\\AppData\\Start");
    h.files.setSpecialFolder(csidl::kDesktopDirectory, "C:\\Users\\u\\Desktop");
    h.files.addFolder("C:\\Apps");
    h.files.addFile("C:\\Apps\\tool.exe");
  }
  RegistryScanHarness h;
};

TEST_F(Shortcuts, ReportsShortcutsToMissingFilesInEveryFolderOnce) {
  h.files.addFolder("C:\\Users\\u\\Desktop\\Nested\\Deeper");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\Nested\\Deeper\\gone.lnk", "C:\\Apps\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\CAPS.LNK", "C:\\Apps\\gone2.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\ok.lnk", "C:\\Apps\\tool.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\folder.lnk", "C:\\Apps");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\unc.lnk", "\\\\server\\share\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\otherdrive.lnk", "D:\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\nocolon.lnk", "C\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\empty.lnk", "");
  h.files.addUnreadableShortcut("C:\\Users\\u\\Desktop\\broken.lnk");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\site.url", "C:\\Apps\\gone3.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\x.lnk.bak", "C:\\Apps\\gone4.exe");
  // Reached through the application-data folder and again as the Start menu.
  h.files.addShortcut("C:\\Users\\u\\AppData\\Start\\menu.lnk", "C:\\Apps\\gone5.exe");
  h.files.addShortcut("C:\\All\\Start\\all.lnk", "c:\\apps\\gone6.exe");
  EXPECT_EQ(FindingRows(h.Run(17)),
            (Strings{"C:\\All\\Start\\all.lnk | c:\\apps\\gone6.exe | 4",
                     "C:\\Users\\u\\AppData\\Start\\menu.lnk | C:\\Apps\\gone5.exe | 4",
                     "C:\\Users\\u\\Desktop\\CAPS.LNK | C:\\Apps\\gone2.exe | 4",
                     "C:\\Users\\u\\Desktop\\Nested\\Deeper\\gone.lnk | C:\\Apps\\gone.exe | 4"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Missing ShortCut reference");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Shortcuts..."});
}

TEST_F(Shortcuts, Wow64LeavesSystemAndProgramFilesTargetsAlone) {
  h.settings.RunsOnWow64 = true;
  h.files.addShortcut("C:\\Users\\u\\Desktop\\a.lnk", "C:\\Windows\\SYSTEM32\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\b.lnk", "C:\\program files\\X\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\c.lnk", "C:\\Other\\gone.exe");
  EXPECT_EQ(FindingRows(h.Run(17)),
            (Strings{"C:\\Users\\u\\Desktop\\c.lnk | C:\\Other\\gone.exe | 4"}));
}

TEST_F(Shortcuts, AbsentFloppyTargetsAreReportedWithRemovableMedia) {
  h.settings.IncludeRemoveMedia = true;
  h.files.setVolumeReady('a', false);
  h.files.addShortcut("C:\\Users\\u\\Desktop\\a.lnk", "A:\\setup.exe");
  EXPECT_EQ(FindingRows(h.Run(17)), (Strings{"C:\\Users\\u\\Desktop\\a.lnk | A:\\setup.exe | 4"}));
  h.settings.IncludeRemoveMedia = false;
  EXPECT_TRUE(h.Run(17).empty());
}

TEST_F(Shortcuts, LinkedFoldersAreNotFollowed) {
  h.files.addFolderLink("C:\\Users\\u\\Desktop\\Elsewhere");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\Elsewhere\\gone.lnk", "C:\\Apps\\gone.exe");
  h.files.addShortcut("C:\\Users\\u\\Desktop\\top.lnk", "C:\\Apps\\gone2.exe");
  EXPECT_EQ(FindingRows(h.Run(17)),
            (Strings{"C:\\Users\\u\\Desktop\\top.lnk | C:\\Apps\\gone2.exe | 4"}));
  // A searched folder that is itself a link (as under Wine) is still walked.
  h.files.setSpecialFolder(csidl::kDesktopDirectory, "C:\\Users\\u\\Desktop\\Elsewhere");
  EXPECT_EQ(FindingRows(h.Run(17)),
            (Strings{"C:\\Users\\u\\Desktop\\Elsewhere\\gone.lnk | C:\\Apps\\gone.exe | 4"}));
}

// A shell that cannot make its link object: the shortcut task ends, the next
// task still runs.
class NoShellLink : public MemoryFileSystem {
 public:
  ShortcutTarget readShortcut(const std::string&) override {
    throw std::runtime_error("CoCreateInstance failed");
  }
};

TEST(ShortcutFailure, ShellLinkFailureEndsOnlyTheShortcutTask) {
  RegistryScanHarness h;
  NoShellLink files;
  files.setSpecialFolder(csidl::kDesktopDirectory, "C:\\Desk");
  files.addShortcut("C:\\Desk\\a.lnk", "C:\\gone.exe");
  files.setSpecialFolder(csidl::kPrograms, "C:\\Programs");
  h.Seed(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
      "MenuOrder\\Start Menu2\\Programs\\Gone]\r\n");
  ScanContext context(h.registry, files, h.sink, h.settings, {"17", "16"});
  EXPECT_EQ(RunScanTasks(context), ScanOutcome::Completed);
  EXPECT_EQ(h.sink.events, (Strings{"start 17", "failed 17", "end 17", "start 16", "finding",
                                    "end 16", "finished"}));
  ASSERT_EQ(h.sink.findings.size(), 1u);
  EXPECT_EQ(h.sink.findings[0].ValueText, "Gone");
}

}  // namespace
}  // namespace hs
