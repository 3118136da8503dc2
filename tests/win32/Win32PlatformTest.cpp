// What only the real system can show: shell links written by the shell link
// object itself, special folders, refusals, the error mode, raw registry
// calls.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <thread>

#include "common/Text.h"
#include "platform/win32/ProgramLocation.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::win32 {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    folder = Narrow(std::wstring_view(temp, length)) + "HivesweepPlatform";
    if (fs.probe(folder) != PathProbe::NotFound) {
      ASSERT_TRUE(fs.deleteSilently(folder));
    }
    ASSERT_EQ(fs.createDirectory(folder), FsStatus::Ok);
  }

  std::string at(const std::string& name) const { return folder + "\\" + name; }

  void writeFile(const std::string& name, const std::string& content) {
    std::unique_ptr<FileWriter> writer;
    ASSERT_EQ(fs.openForWrite(at(name), false, writer), FsStatus::Ok);
    ASSERT_EQ(writer->write(content), FsStatus::Ok);
  }

  // Saves a shortcut to `target` the way the shell does.
  void saveShortcut(const std::string& name, const std::string& target) {
    const ComScope com;
    ASSERT_TRUE(com.ok());
    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IShellLinkW, link.putVoid()));
    ASSERT_HRESULT_SUCCEEDED(link->SetPath(Widen(target).c_str()));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.putVoid()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(Widen(at(name)).c_str(), TRUE));
  }

  Win32FileSystem fs;
  std::string folder;
};

TEST_F(Win32FileSystemTest, ShortcutsWrittenByTheShellAreRead) {
  writeFile("target.exe", "MZ");
  writeFile("doomed.exe", "MZ");
  ASSERT_EQ(fs.createDirectory(at("Target Folder")), FsStatus::Ok);
  saveShortcut("file.lnk", at("target.exe"));
  saveShortcut("deleted.lnk", at("doomed.exe"));
  saveShortcut("folder.lnk", at("Target Folder"));
  ASSERT_TRUE(fs.deleteSilently(at("doomed.exe")));
  writeFile("garbage.lnk", "not a shell link at all");

  const struct {
    std::string link;
    bool readable;
    std::string target;
  } cases[] = {
      {"file.lnk", true, at("target.exe")},
      {"deleted.lnk", true, at("doomed.exe")},  // the stored target, not resolved away
      {"folder.lnk", true, at("Target Folder")},
      {"garbage.lnk", false, ""},
      {"missing.lnk", false, ""},
  };
  for (const auto& c : cases) {
    const ShortcutTarget read = fs.readShortcut(at(c.link));
    EXPECT_EQ(read.readable, c.readable) << c.link;
    EXPECT_TRUE(EqualsNoCase(read.path, c.target)) << c.link << ": " << read.path;
  }
  EXPECT_EQ(fs.probe(fs.readShortcut(at("deleted.lnk")).path), PathProbe::NotFound);
}

TEST_F(Win32FileSystemTest, ShortcutsAreReadFromAnyThread) {
  writeFile("target.exe", "MZ");
  saveShortcut("file.lnk", at("target.exe"));
  ShortcutTarget onWorker;
  std::thread worker([&] { onWorker = fs.readShortcut(at("file.lnk")); });
  worker.join();
  EXPECT_TRUE(onWorker.readable);
  EXPECT_TRUE(EqualsNoCase(onWorker.path, at("target.exe")));
  EXPECT_TRUE(fs.readShortcut(at("file.lnk")).readable);
}

TEST_F(Win32FileSystemTest, SpecialFoldersOfTheScansExist) {
  for (const int id : {csidl::kPrograms, csidl::kStartup, csidl::kStartMenu,
                       csidl::kDesktopDirectory, csidl::kCommonStartMenu, csidl::kCommonPrograms,
                       csidl::kCommonStartup, csidl::kCommonDesktopDirectory, csidl::kAppData}) {
    const std::string path = fs.specialFolder(id);
    EXPECT_FALSE(path.empty()) << "CSIDL " << id;
    EXPECT_EQ(path.find(":\\"), 1u) << "CSIDL " << id << ": " << path;
  }
  EXPECT_EQ(fs.specialFolder(0x7E), "");  // no such folder
}

TEST_F(Win32FileSystemTest, AFileLockedByAnotherProgramIsNeverMissing) {
  writeFile("locked.dll", "MZ");
  UniqueFileHandle lock(::CreateFileW(Widen(at("locked.dll")).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  std::string content;
  EXPECT_EQ(fs.readFile(at("locked.dll"), content), FsStatus::AccessDenied);
  EXPECT_EQ(fs.probe(at("locked.dll")), PathProbe::File);
  EXPECT_FALSE(fs.deleteSilently(at("locked.dll")));
  std::unique_ptr<FileWriter> writer;
  EXPECT_EQ(fs.openForWrite(at("locked.dll"), true, writer), FsStatus::AccessDenied);
  lock.reset();
  EXPECT_EQ(fs.probe(at("locked.dll")), PathProbe::File);
  EXPECT_TRUE(fs.deleteSilently(at("locked.dll")));
}

TEST_F(Win32FileSystemTest, VolumeCheckPutsTheErrorModeBack) {
  const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_TRUE(fs.volumeReady("C:\\"));
  EXPECT_FALSE(fs.volumeReady("Q:\\"));  // no such drive here
  EXPECT_EQ(::GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
  ::SetErrorMode(before);
}

TEST_F(Win32FileSystemTest, ProgramFolderHoldsTheRunningExecutable) {
  const std::string programFolder = ProgramFolder();
  ASSERT_FALSE(programFolder.empty());
  EXPECT_EQ(programFolder.back(), '\\');
  EXPECT_EQ(fs.probe(programFolder + "hivesweep-tests-win.exe"), PathProbe::File);
}

TEST(Win32Registry, RawCallAddsAForgottenTerminatorTheBackendDoesNot) {
  Win32Registry registry;
  RegKeyPtr key;
  ASSERT_EQ(registry.openKey(RootKey::CurrentUser, nullptr, "Software\\HivesweepTest\\Raw",
                             RegAccess::All, true, key),
            RegStatus::Ok);
  UniqueHkey raw;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\HivesweepTest\\Raw", 0, KEY_ALL_ACCESS,
                            raw.put()),
            ERROR_SUCCESS);
  // "ab" followed in memory by a NUL that is not part of the data.
  const wchar_t text[] = L"ab";
  const LSTATUS status =
      ::RegSetValueExW(raw.get(), L"direct", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 4);
  ASSERT_EQ(status, ERROR_SUCCESS);
  RegValue read;
  ASSERT_EQ(registry.queryValue(*key, "direct", read), RegStatus::Ok);
  EXPECT_EQ(read.data.size(), 6u);  // the system stored the NUL after the data

  const RegValue unterminated{"framed", kRegSz, {'a', 0, 'b', 0}};
  ASSERT_EQ(registry.setValue(*key, unterminated), RegStatus::Ok);
  ASSERT_EQ(registry.queryValue(*key, "framed", read), RegStatus::Ok);
  EXPECT_EQ(read.data, unterminated.data);
}

TEST(Win32Registry, ClosedHandleIsReallyClosed) {
  UniqueHkey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  UniqueHkey moved = std::move(key);
  EXPECT_FALSE(key);
  const HKEY raw = moved.get();
  EXPECT_EQ(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  moved.reset();
  EXPECT_NE(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

TEST(Win32Registry, NamesOutsideTheBasicPlaneRoundTrip) {
  Win32Registry registry;
  RegKeyPtr key;
  const std::string name = "Smile \xF0\x9F\x98\x80 \xC3\xA9t\xC3\xA9";
  ASSERT_EQ(registry.openKey(RootKey::CurrentUser, nullptr, "Software\\HivesweepTest\\" + name,
                             RegAccess::All, true, key),
            RegStatus::Ok);
  ASSERT_EQ(registry.setValue(*key, RegValue{name, kRegDword, {1, 0, 0, 0}}), RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(registry.valueNames(*key, names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{name});
  RegKeyPtr parent;
  ASSERT_EQ(registry.openKey(RootKey::CurrentUser, nullptr, "Software\\HivesweepTest",
                             RegAccess::All, false, parent),
            RegStatus::Ok);
  key.reset();
  EXPECT_EQ(registry.deleteLeafKey(*parent, name), RegStatus::Ok);
}

}  // namespace
}  // namespace hs::win32
