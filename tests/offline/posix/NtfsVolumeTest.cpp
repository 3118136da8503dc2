// The POSIX backend over a real NTFS volume: an image made by mkntfs,
// mounted read-only with ntfs-3g (FUSE), with names in other letter cases,
// 8.3 short names set as Windows keeps them, and a symbolic link. Needs root
// and /dev/fuse; skipped with the reason otherwise.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "offline/posix/PosixFileSystem.h"

namespace hs {
namespace {

namespace fsys = std::filesystem;

bool RunQuietly(const std::string& command) {
  return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const fsys::path& path) {
  return "'" + path.string() + "'";
}

class NtfsVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::geteuid() != 0) {
      s_skipReason = "mounting with ntfs-3g needs root here";
    } else if (::access("/dev/fuse", R_OK | W_OK) != 0) {
      s_skipReason = "/dev/fuse is missing: FUSE (ntfs-3g) cannot mount";
    } else if (!RunQuietly("command -v mkntfs && command -v ntfs-3g && command -v setfattr")) {
      s_skipReason = "mkntfs, ntfs-3g or setfattr is missing: run scripts/setup.sh";
    } else {
      s_skipReason = Prepare();
    }
  }
  static void TearDownTestSuite() {
    if (s_mounted) Unmount();
    s_mounted = false;
    std::error_code ignored;
    fsys::remove_all(Folder(), ignored);
  }
  void SetUp() override {
    if (!s_skipReason.empty()) GTEST_SKIP() << s_skipReason;
  }

  // FUSE may still be busy a moment after the last look: then wait once.
  static bool Unmount() {
    return RunQuietly("umount " + Quoted(Mount())) ||
           RunQuietly("sleep 1; umount " + Quoted(Mount()));
  }

  static fsys::path Folder() {
    return fsys::temp_directory_path() / ("hs-ntfs-" + std::to_string(::getpid()));
  }
  static fsys::path Mount() { return Folder() / "mnt"; }
  static fsys::path Other() { return Folder() / "other"; }

  // Makes a folder a junction to `target` ("C:\\Users") as Windows does: a
  // mount-point reparse point with the "\\??\\" name and the printed name.
  static bool MakeJunction(const std::string& relative, const std::string& target) {
    fsys::create_directories(Mount() / relative);
    const auto utf16 = [](const std::string& text) {
      std::string out;
      for (const char c : text) out += std::string{c, '\0'};
      return out;
    };
    const auto u16 = [](std::size_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    const std::string substitute = utf16("\\??\\" + target), print = utf16(target);
    const std::string data = u16(0) + u16(substitute.size()) + u16(substitute.size() + 2) +
                             u16(print.size()) + substitute + u16(0) + print + u16(0);
    const std::string buffer =
        std::string("\x03\x00\x00\xA0", 4) + u16(data.size()) + u16(0) + data;
    std::string hex = "0x";
    for (const char c : buffer) {
      const char* digits = "0123456789abcdef";
      hex += digits[static_cast<unsigned char>(c) >> 4];
      hex += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return RunQuietly("setfattr -n system.ntfs_reparse_data -v " + hex + " " +
                      Quoted(Mount() / relative));
  }

  static void Write(const std::string& relative, const std::string& content) {
    fsys::create_directories((Mount() / relative).parent_path());
    std::ofstream(Mount() / relative, std::ios::binary) << content;
  }

  // Makes the volume, fills it read-write, then mounts it read-only as a
  // technician would. "" when all went well, else why not.
  static std::string Prepare() {
    fsys::remove_all(Folder());
    fsys::create_directories(Mount());
    fsys::create_directories(Other() / "Program Files");
    std::ofstream(Other() / "Program Files" / "tool.exe") << "tool";
    const fsys::path image = Folder() / "volume.img";
    std::ofstream(image).close();
    fsys::resize_file(image, 64 << 20);
    if (!RunQuietly("mkntfs -F -Q -q " + Quoted(image))) return "mkntfs failed";
    if (!RunQuietly("ntfs-3g " + Quoted(image) + " " + Quoted(Mount())))
      return "ntfs-3g could not mount the image";
    s_mounted = true;
    Write("Program Files/Hivesweep/App.exe", "app");
    Write("Program Files (x86)/Old Tool/old.exe", "old");
    Write("Users/Ann/Desktop/Readme.txt", "mixed");
    Write("Users/Ann/Desktop/README.TXT", "upper");
    Write("Users/Public/Documents/doc.txt", "doc");
    fsys::create_directory_symlink("Public", Mount() / "Users/All Users");
    const std::string dosName = "setfattr -h -n system.ntfs_dos_name -v ";
    if (!RunQuietly(dosName + "PROGRA~1 " + Quoted(Mount() / "Program Files")) ||
        !RunQuietly(dosName + "PROGRA~2 " + Quoted(Mount() / "Program Files (x86)")) ||
        !RunQuietly(dosName + "OLDTOO~1 " + Quoted(Mount() / "Program Files (x86)/Old Tool")))
      return "ntfs-3g refused to set a short name";
    if (!MakeJunction("Documents and Settings", "C:\\Users") ||
        !MakeJunction("Other Drive", "D:\\Program Files") ||
        !MakeJunction("Unmapped Drive", "E:\\Games"))
      return "ntfs-3g refused to make a junction";
    if (!Unmount()) return "could not unmount the image";
    s_mounted = false;
    if (!RunQuietly("ntfs-3g -o ro " + Quoted(image) + " " + Quoted(Mount())))
      return "ntfs-3g could not mount the image read-only";
    s_mounted = true;
    return {};
  }

  PosixFileSystem make() {
    OfflineVolume volume;
    volume.drives['C'] = Mount().string();
    volume.drives['D'] = Other().string();  // a folder of the host: no short names
    return PosixFileSystem(volume);
  }

  static inline std::string s_skipReason;
  static inline bool s_mounted = false;
};

TEST_F(NtfsVolumeTest, FindsNamesLongShortAndInAnyCase) {
  PosixFileSystem fs = make();
  const struct {
    const char* path;
    const char* resolved;
  } cases[] = {
      {"C:\\Program Files\\Hivesweep\\App.exe", "C:\\Program Files\\Hivesweep\\App.exe"},
      {"c:\\PROGRAM FILES\\hivesweep\\app.EXE", "C:\\Program Files\\Hivesweep\\App.exe"},
      {"C:\\PROGRA~1\\Hivesweep\\App.exe", "C:\\Program Files\\Hivesweep\\App.exe"},
      {"C:\\progra~2\\OLDTOO~1\\OLD.EXE", "C:\\Program Files (x86)\\Old Tool\\old.exe"},
      {"C:\\Users\\All Users\\Documents\\DOC.txt", "C:\\Users\\Public\\Documents\\doc.txt"},
      // Junctions, as ntfs-3g shows them: symbolic links to absolute paths.
      {"C:\\Documents and Settings\\Ann\\Desktop\\Readme.txt",
       "C:\\Users\\Ann\\Desktop\\Readme.txt"},
      {"C:\\Other Drive\\tool.exe", "D:\\Program Files\\tool.exe"},
      {"C:\\Users\\Ann\\Desktop\\README.TXT", "C:\\Users\\Ann\\Desktop\\README.TXT"},
      {"C:\\Users\\Ann\\Desktop\\Readme.txt", "C:\\Users\\Ann\\Desktop\\Readme.txt"},
  };
  for (const auto& c : cases) {
    std::string resolved;
    EXPECT_EQ(fs.probe(c.path), PathProbe::File) << c.path;
    EXPECT_EQ(fs.resolvePath(c.path, resolved), FsStatus::Ok) << c.path;
    EXPECT_EQ(resolved, c.resolved) << c.path;
  }
  std::string content;
  ASSERT_EQ(fs.readFile("C:\\PROGRA~1\\HIVESWEEP\\APP.EXE", content), FsStatus::Ok);
  EXPECT_EQ(content, "app");
  ASSERT_EQ(fs.readFile("C:\\users\\ann\\desktop\\README.TXT", content), FsStatus::Ok);
  EXPECT_EQ(content, "upper");  // the exact spelling wins over "Readme.txt"
}

TEST_F(NtfsVolumeTest, MissingOnlyWhenTheVolumeSaysSo) {
  PosixFileSystem fs = make();
  EXPECT_EQ(fs.probe("C:\\Program Files\\Hivesweep\\Gone.exe"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\PROGRA~1\\Gone\\x.exe"), PathProbe::NotFound);
  // Every short name of the folder was read: none is this one.
  EXPECT_EQ(fs.probe("C:\\PROGRA~3\\x.exe"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe("C:\\Users\\Ann\\Desktop\\README~1.TXT"), PathProbe::NotFound);
  // A junction to a drive without a folder leads nowhere known.
  EXPECT_EQ(fs.probe("C:\\Unmapped Drive\\x.exe"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("C:\\Documents and Settings\\Ann\\Gone.txt"), PathProbe::NotFound);
  // D: lies on a file system without short names: the name cannot be told.
  EXPECT_EQ(fs.probe("D:\\PROGRA~1"), PathProbe::Inaccessible);
  EXPECT_EQ(fs.probe("D:\\Program Files"), PathProbe::Folder);
  // Nothing can be written to the volume through the backend.
  std::unique_ptr<FileWriter> writer;
  EXPECT_EQ(fs.openForWrite("C:\\Program Files\\new.txt", false, writer), FsStatus::AccessDenied);
  EXPECT_FALSE(fs.deleteSilently("C:\\Program Files\\Hivesweep\\App.exe"));
  EXPECT_EQ(fs.probe("C:\\Program Files\\Hivesweep\\App.exe"), PathProbe::File);
}

TEST_F(NtfsVolumeTest, ListsFoldersWithLinksMarked) {
  PosixFileSystem fs = make();
  std::vector<DirEntry> entries;
  ASSERT_EQ(fs.listDirectory("C:\\USERS", entries), FsStatus::Ok);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);  // All Users, Ann, Public
  EXPECT_EQ(entries[0].name, "All Users");
  EXPECT_TRUE(entries[0].isLink);
  EXPECT_TRUE(entries[0].isFolder);
  EXPECT_EQ(entries[1].name, "Ann");
  EXPECT_FALSE(entries[1].isLink);
  ASSERT_EQ(fs.listDirectory("C:\\", entries), FsStatus::Ok);
  const auto junction = std::find_if(entries.begin(), entries.end(), [](const DirEntry& e) {
    return e.name == "Documents and Settings";
  });
  ASSERT_NE(junction, entries.end());
  EXPECT_TRUE(junction->isLink);
  EXPECT_TRUE(junction->isFolder);
  ASSERT_EQ(fs.listDirectory("C:\\Program Files\\Hivesweep", entries), FsStatus::Ok);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 3u);
}

}  // namespace
}  // namespace hs
