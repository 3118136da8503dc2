#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "offline/posix/PosixFileSystem.h"
#include "platform/FileSystemBackend.h"

namespace hs {
namespace {

namespace fsys = std::filesystem;

// Two host folders standing for drives C: and D: of an installation.
class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fsys::temp_directory_path() /
           ("hs-posix-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fsys::remove_all(root);
    fsys::create_directories(root / "c");
    fsys::create_directories(root / "d");
    volume.drives['c'] = (root / "c").string() + "/";  // either case, a trailing slash
    volume.drives['D'] = (root / "d").string();
    volume.environment["SystemRoot"] = "C:\\Windows";
    volume.environment["ProgramFiles"] = "C:\\Program Files";
    volume.specialFolders[csidl::kDesktopDirectory] = "C:\\Users\\Ann\\Desktop";
  }
  void TearDown() override { fsys::remove_all(root); }

  void file(const std::string& relative, const std::string& content = "x") {
    fsys::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << content;
  }
  void link(const std::string& relative, const std::string& target) {
    fsys::create_directories((root / relative).parent_path());
    fsys::create_symlink(target, root / relative);
  }
  PosixFileSystem make() { return PosixFileSystem(volume); }
  std::string resolved(PosixFileSystem& fs, const std::string& path) {
    std::string out;
    return fs.resolvePath(path, out) == FsStatus::Ok
               ? out
               : "<" + std::to_string(int(fs.probe(path))) + ">";
  }

  fsys::path root;
  OfflineVolume volume;
};

TEST_F(PosixFileSystemTest, NamesMatchInAnyCaseTheExactSpellingFirst) {
  file("c/Program Files/App/App.exe");
  file("c/Users/\xC3\x89mile/caf\xC3\xA9.txt");  // Émile/café.txt
  file("c/Case/Readme.txt", "mixed");
  file("c/Case/README.TXT", "upper");
  PosixFileSystem fs = make();
  EXPECT_EQ(fs.probe("c:\\PROGRAM FILES\\app\\APP.EXE"), PathProbe::File);
  EXPECT_EQ(fs.probe("C:/program files/App/"), PathProbe::Folder);
  EXPECT_EQ(resolved(fs, "C:\\program files\\.\\APP\\..\\app\\app.exe."),
            "C:\\Program Files\\App\\App.exe");
  EXPECT_EQ(resolved(fs, "C:\\USERS\\\xC3\xA9MILE\\CAF\xC3\x89.TXT"),
            "C:\\Users\\\xC3\x89mile\\caf\xC3\xA9.txt");
  EXPECT_EQ(resolved(fs, "C:\\Case\\README.TXT"), "C:\\Case\\README.TXT");
  EXPECT_EQ(resolved(fs, "C:\\Case\\Readme.txt"), "C:\\Case\\Readme.txt");
  std::string content;
  ASSERT_EQ(fs.readFile("C:\\case\\README.TXT", content), FsStatus::Ok);
  EXPECT_EQ(content, "upper");
  EXPECT_EQ(fs.probe("C:\\Program Files\\App\\App.exe\\"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\Program Files\\App\\App.exe\\x"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\Program Files\\Gone\\x.exe"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("\\\\?\\C:\\Program Files\\App\\App.exe"), PathProbe::File);
  EXPECT_EQ(fs.probe("\\\\.\\c:\\Program Files"), PathProbe::Folder);
  EXPECT_EQ(fs.probe("C:\\"), PathProbe::Folder);
  EXPECT_EQ(fs.probe("D:\\"), PathProbe::Folder);
}

TEST_F(PosixFileSystemTest, WhatTheVolumeCannotAnswerIsNeverMissing) {
  file("c/Program Files/App/App.exe");
  PosixFileSystem fs = make();
  EXPECT_EQ(fs.probe("E:\\Games\\x.exe"), PathProbe::Inaccessible);  // no folder for E:
  EXPECT_EQ(fs.probe("\\\\?\\UNC\\server\\share\\x.exe"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("App.exe"), PathProbe::Inaccessible);  // relative: no current folder
  EXPECT_EQ(fs.probe("C:\\Program Files\\E*\\x.exe"), PathProbe::NotFound);
  EXPECT_EQ(fs.driveType('c'), DriveType::Fixed);
  EXPECT_EQ(fs.driveType('D'), DriveType::Fixed);
  EXPECT_EQ(fs.driveType('E'), DriveType::NoRootDir);
  EXPECT_TRUE(fs.volumeReady("d:\\"));
  EXPECT_FALSE(fs.volumeReady("E:\\"));
  // A name of 8.3 form on a file system without short names: cannot be told.
  EXPECT_EQ(fs.probe("C:\\PROGRA~1\\App\\App.exe"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("C:\\Program Files\\APP~1.EXE"), PathProbe::Inaccessible);
  // A name with "~" that cannot be a short name is simply missing.
  EXPECT_EQ(fs.probe("C:\\Program Files\\App~Data Folder"), PathProbe::NotFound);
}

std::optional<std::string> FakeDosNames(const std::string& hostPath) {
  if (hostPath.ends_with("/Program Files")) return "PROGRA~1";
  if (hostPath.ends_with("/Program Files (x86)")) return "PROGRA~2";
  if (hostPath.ends_with("/Unreadable Name")) return std::nullopt;
  return std::string();  // no short name
}

TEST_F(PosixFileSystemTest, ShortNamesComeFromTheNtfsAttribute) {
  file("c/Program Files/App/App.exe");
  file("c/Program Files (x86)/Old/old.exe");
  file("c/Clean/Long Folder Name/x.txt");
  file("c/Mixed/Unreadable Name/x.txt");
  PosixFileSystem fs = make();
  fs.setDosNameReader(&FakeDosNames);
  EXPECT_EQ(resolved(fs, "C:\\progra~1\\App\\App.exe"), "C:\\Program Files\\App\\App.exe");
  EXPECT_EQ(resolved(fs, "C:\\PROGRA~2\\Old"), "C:\\Program Files (x86)\\Old");
  EXPECT_EQ(fs.probe("C:\\PROGRA~3"), PathProbe::NotFound);         // every short name read
  EXPECT_EQ(fs.probe("C:\\Clean\\LONGFO~1"), PathProbe::NotFound);  // that one has none
  EXPECT_EQ(fs.probe("C:\\Mixed\\UNREAD~1"), PathProbe::Inaccessible);
}

TEST_F(PosixFileSystemTest, LinksAreFollowedOnlyInsideTheirDrive) {
  file("c/Users/Public/Documents/doc.txt");
  file("c/Target/t.exe");
  link("c/Users/All Users", "Public");                   // relative, like ntfs-3g's
  link("c/Junction", (root / "c" / "Target").string());  // absolute, inside the drive
  file("d/Games/game.exe");
  link("c/To D", (root / "c/.NTFS-3G/D:/Games").string());  // ntfs-3g: a junction to D:
  link("c/To E", (root / "c/.NTFS-3G/E:/Games").string());
  link("c/Escape", "../../../../../../../etc");  // climbs out of the drive
  link("c/HostFile", "/etc/hostname");           // the rescue system's own file
  link("c/Dangling", "Nowhere");
  link("c/LoopA", "LoopB");
  link("c/LoopB", "LoopA");
  PosixFileSystem fs = make();
  EXPECT_EQ(resolved(fs, "C:\\users\\all users\\DOCUMENTS\\doc.txt"),
            "C:\\Users\\Public\\Documents\\doc.txt");
  EXPECT_EQ(resolved(fs, "C:\\junction\\T.EXE"), "C:\\Target\\t.exe");
  EXPECT_EQ(resolved(fs, "C:\\to d\\GAME.EXE"), "D:\\Games\\game.exe");
  EXPECT_EQ(fs.probe("C:\\To E\\game.exe"), PathProbe::Inaccessible);  // E: has no folder
  EXPECT_EQ(fs.probe("C:\\Escape\\passwd"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("C:\\HostFile"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("C:\\Dangling"), PathProbe::Inaccessible);  // the link is there
  EXPECT_EQ(fs.probe("C:\\Dangling\\x"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\LoopA\\x"), PathProbe::Inaccessible);
  bool isLink = false;
  EXPECT_EQ(fs.isLink("C:\\Users\\All Users", isLink), FsStatus::Ok);
  EXPECT_TRUE(isLink);
  EXPECT_EQ(fs.isLink("C:\\Dangling", isLink), FsStatus::Ok);
  EXPECT_TRUE(isLink);
  EXPECT_EQ(fs.isLink("C:\\Users\\All Users\\Documents", isLink), FsStatus::Ok);
  EXPECT_FALSE(isLink);
  std::vector<DirEntry> entries;
  ASSERT_EQ(fs.listDirectory("C:\\Users", entries), FsStatus::Ok);
  ASSERT_EQ(entries.size(), 2u);
  for (const DirEntry& entry : entries) {
    EXPECT_TRUE(entry.isFolder) << entry.name;
    EXPECT_EQ(entry.isLink, entry.name == "All Users") << entry.name;
  }
  std::string content;
  EXPECT_EQ(fs.readFile("C:\\HostFile", content), FsStatus::AccessDenied);
  EXPECT_TRUE(content.empty());
}

TEST_F(PosixFileSystemTest, KeptListingsFollowChangesOfTheVolume) {
  file("c/Folder/Old.txt");
  PosixFileSystem fs = make();
  EXPECT_EQ(fs.probe("C:\\folder\\old.txt"), PathProbe::File);
  EXPECT_EQ(fs.probe("C:\\folder\\new.txt"), PathProbe::NotFound);
  fsys::remove(root / "c/Folder/Old.txt");
  file("c/Folder/New.txt");
  EXPECT_EQ(fs.probe("C:\\folder\\old.txt"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\folder\\new.txt"), PathProbe::File);
  std::vector<DirEntry> entries;
  ASSERT_EQ(fs.listDirectory("C:\\Folder", entries), FsStatus::Ok);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "New.txt");
}

TEST_F(PosixFileSystemTest, EnvironmentAndFoldersAreTheInstallationsOwn) {
  PosixFileSystem fs = make();
  EXPECT_EQ(fs.expandEnvironment("%systemroot%\\x;%PROGRAMFILES%\\y"),
            "C:\\Windows\\x;C:\\Program Files\\y");
  EXPECT_EQ(fs.expandEnvironment("%HOME%\\a %% 100%"), "%HOME%\\a %% 100%");
  EXPECT_EQ(fs.expandEnvironment("%Unknown%SystemRoot%"), "%UnknownC:\\Windows");
  EXPECT_EQ(fs.specialFolder(csidl::kDesktopDirectory), "C:\\Users\\Ann\\Desktop");
  EXPECT_EQ(fs.specialFolder(csidl::kStartup), "");
  EXPECT_EQ(&fs.ansiCodePage(), &fs.ansiCodePage());
  EXPECT_EQ(fs.ansiCodePage().decode("\x80"), u"\u20AC");  // Windows-1252 when none is given
}

#ifdef HS_TEST_DATA
TEST_F(PosixFileSystemTest, ShortcutsOnTheVolumeAreReadByTheOwnReader) {
  const fsys::path fixtures = fsys::path(HS_TEST_DATA) / "shortcuts";
  fsys::create_directories(root / "c/Users/Ann/Desktop");
  fsys::copy_file(fixtures / "local.lnk", root / "c/Users/Ann/Desktop/Local.lnk");
  fsys::copy_file(fixtures / "control-panel.lnk", root / "c/Users/Ann/Desktop/panel.lnk");
  file("c/Users/Ann/Desktop/broken.lnk", std::string("L\0\0\0 not really", 16));
  PosixFileSystem fs = make();
  ShortcutTarget target = fs.readShortcut("C:\\users\\ann\\desktop\\LOCAL.LNK");
  EXPECT_TRUE(target.readable);
  EXPECT_EQ(target.path, "C:\\Program Files\\Hivesweep Test\\app.exe");
  target = fs.readShortcut("C:\\Users\\Ann\\Desktop\\panel.lnk");
  EXPECT_TRUE(target.readable);
  EXPECT_EQ(target.path, "");
  EXPECT_FALSE(fs.readShortcut("C:\\Users\\Ann\\Desktop\\broken.lnk").readable);
  EXPECT_FALSE(fs.readShortcut("C:\\Users\\Ann\\Desktop\\gone.lnk").readable);
  EXPECT_FALSE(fs.readShortcut("C:\\Users\\Ann\\Desktop").readable);
}
#endif

}  // namespace
}  // namespace hs
