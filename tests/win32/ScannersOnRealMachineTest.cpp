// The scanners of tasks 13 to 23 on the real registry, special folders and
// shell links (Wine's under test). Each case seeds its own entries at the
// places the scanners read, judges only the findings that name them, and
// removes what it made.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <fstream>

#include "common/Rot13.h"
#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "scan/ScanTestSupport.h"

namespace hs {
namespace {

const char* const kTargets = "C:\\HivesweepTargets";
const char* const kMissing = "C:\\HivesweepNoSuch";

// Wine links the user's desktop, and a folder inside the application-data
// folder, to the Unix home folder, whose walk would leave the prefix (and,
// through the prefix's drive links, could reach the whole Unix file system).
// Those two folders are scratch folders here; the other four are real.
class ScratchHomeFileSystem : public win32::Win32FileSystem {
 public:
  std::string specialFolder(int csidl) override {
    if (csidl == csidl::kDesktopDirectory) return std::string(kTargets) + "\\Desktop";
    if (csidl == csidl::kAppData) return std::string(kTargets) + "\\AppData";
    return Win32FileSystem::specialFolder(csidl);
  }
};

class RealMachineScan : public ::testing::Test {
 protected:
  void SetUp() override {
    // Other tests' scratch root, left empty by them, would count as an empty
    // Software key; RegDeleteKey removes it only when it has no subkeys.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\HivesweepTest");
    ::CreateDirectoryW(L"C:\\HivesweepTargets", nullptr);
    ::CreateDirectoryW(L"C:\\HivesweepTargets\\Folder", nullptr);
    ::CreateDirectoryW(L"C:\\HivesweepTargets\\Desktop", nullptr);
    ::CreateDirectoryW(L"C:\\HivesweepTargets\\AppData", nullptr);
    std::ofstream(std::string(kTargets) + "\\existing.exe") << "MZ";
  }

  void TearDown() override {
    for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
      TRegistry reg(registry, it->root);
      if (reg.OpenPath(it->key)) reg.RemoveValue(it->name);
    }
    for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it) {
      TRegistry reg(registry, it->first);
      reg.RemovePath(it->second);
    }
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) files.deleteSilently(*it);
    files.deleteSilently(kTargets);
  }

  // Writes a value, creating the key. Afterwards the keys this made are
  // removed, and the value alone when its key was there before.
  void Set(RootKey root, const std::string& key, const std::string& name,
           const std::vector<std::uint8_t>& data, std::uint32_t type = kRegSz) {
    const bool existed = MakeKey(root, key);
    TRegistry reg(registry, root);
    ASSERT_TRUE(reg.OpenPath(key));
    ASSERT_TRUE(reg.WriteValue(RegValue{name, type, data})) << key << "\\" << name;
    if (existed) m_values.push_back({root, key, name});
  }
  void SetText(RootKey root, const std::string& key, const std::string& name,
               const std::string& text) {
    Set(root, key, name, Utf16LeBytes(Utf8ToUtf16(text)));
  }
  // Creates the key; remembers the first level that did not exist. Returns
  // whether the key was there already.
  bool MakeKey(RootKey root, const std::string& key) {
    TRegistry reg(registry, root);
    std::string path;
    for (const std::string& part : Split(key, '\\')) {
      path += (path.empty() ? "" : "\\") + part;
      if (reg.PathExists(path)) continue;
      m_keys.emplace_back(root, path);
      EXPECT_TRUE(reg.OpenPath("\\" + key, true)) << key;
      return false;
    }
    return true;
  }
  std::string MakeFolder(const std::string& path) {
    ::CreateDirectoryW(win32::Widen(path).c_str(), nullptr);
    m_folders.push_back(path);
    return path;
  }

  // The rows "KeyPath | ValueText" of the findings that mention `marker`.
  std::vector<std::string> Run(std::vector<std::string> tasks, const std::string& marker) {
    sink = test::RecordingSink();
    ScanContext context(registry, files, sink, ScanSettings(), std::move(tasks));
    EXPECT_EQ(RunScanTasks(context), ScanOutcome::Completed);
    std::vector<std::string> rows;
    for (const Finding& f : sink.findings)
      if (ContainsNoCase(f.KeyPath, marker) || ContainsNoCase(f.ValueText, marker))
        rows.push_back(f.KeyPath + " | " + f.ValueText);
    return rows;
  }

  win32::Win32Registry registry;
  ScratchHomeFileSystem files;
  test::RecordingSink sink;

 private:
  struct MadeValue {
    RootKey root;
    std::string key, name;
  };
  std::vector<MadeValue> m_values;
  std::vector<std::pair<RootKey, std::string>> m_keys;
  std::vector<std::string> m_folders;
};

using Strings = std::vector<std::string>;

// A shortcut written by the shell link object itself.
void WriteShortcut(const std::string& linkPath, const std::string& target) {
  win32::ComScope com;
  ASSERT_TRUE(com.ok());
  win32::ComPtr<IShellLinkW> link;
  ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, link.putVoid())));
  const std::wstring wideTarget = win32::Widen(target);
  link->SetPath(wideTarget.c_str());
  win32::ComPtr<IPersistFile> file;
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.putVoid())));
  const std::wstring wideLink = win32::Widen(linkPath);
  ASSERT_TRUE(SUCCEEDED(file->Save(wideLink.c_str(), TRUE))) << linkPath;
}

TEST_F(RealMachineScan, ShortcutsToDeletedFilesAreReportedOthersNot) {
  const std::string startMenu = files.specialFolder(csidl::kStartMenu);
  ASSERT_FALSE(startMenu.empty());
  const std::string links = MakeFolder(startMenu + "\\HivesweepLinks");
  const std::string nested =
      MakeFolder(MakeFolder(std::string(kTargets) + "\\Desktop\\Hivesweep") + "\\Nested");
  const std::string gone = std::string(kTargets) + "\\gone.exe";
  std::ofstream(gone) << "MZ";
  WriteShortcut(nested + "\\gone.lnk", gone);
  WriteShortcut(links + "\\GONE.LNK", gone);
  ASSERT_TRUE(::DeleteFileW(win32::Widen(gone).c_str()));
  WriteShortcut(links + "\\file.lnk", std::string(kTargets) + "\\existing.exe");
  WriteShortcut(links + "\\folder.lnk", std::string(kTargets) + "\\Folder");
  WriteShortcut(links + "\\unc.lnk", "\\\\server\\share\\HivesweepNoSuch.exe");
  std::ofstream(links + "\\site.url")
      << "[InternetShortcut]\r\nURL=file:///" << kMissing << "\\x.exe\r\n";
  EXPECT_EQ(Run({"17"}, "Hivesweep"),
            (Strings{links + "\\GONE.LNK | " + gone, nested + "\\gone.lnk | " + gone}));
}

TEST_F(RealMachineScan, MenuOrderKeysAgainstTheRealProgramsFolder) {
  const std::string programs = files.specialFolder(csidl::kPrograms);
  ASSERT_FALSE(programs.empty());
  MakeFolder(programs + "\\HivesweepKept");
  const std::string order =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";
  MakeKey(RootKey::CurrentUser, order + "\\hivesweepkept");
  MakeKey(RootKey::CurrentUser, order + "\\HivesweepGone");
  EXPECT_EQ(Run({"16"}, "Hivesweep"),
            (Strings{"HKEY_CURRENT_USER\\" + order + " | HivesweepGone"}));
}

TEST_F(RealMachineScan, ComClassesInterfacesAndAppIds) {
  const std::string id = "{48697665-7377-6565-7054-657374000001}";
  const std::string lib = "{48697665-7377-6565-7054-657374000002}";
  SetText(RootKey::ClassesRoot, "CLSID\\" + id + "\\InprocServer32", "",
          std::string(kMissing) + "\\x.dll");
  SetText(RootKey::ClassesRoot, "CLSID\\" + id, "AppID", lib);
  SetText(RootKey::ClassesRoot, "Interface\\" + id, "", "IHivesweep");
  SetText(RootKey::ClassesRoot, "Interface\\" + id + "\\TypeLib", "", lib);
  EXPECT_EQ(
      Run({"13", "19"}, "48697665-7377"),
      (Strings{"HKEY_CLASSES_ROOT\\CLSID\\" + id + "\\InprocServer32 | " + kMissing + "\\x.dll",
               "HKEY_CLASSES_ROOT\\Interface\\" + id + " | IHivesweep - " + lib,
               "HKEY_CLASSES_ROOT\\CLSID\\" + id + " | " + lib}));
}

TEST_F(RealMachineScan, ServicesSoftwareSoundsAndInstaller) {
  const std::string services = "SYSTEM\\CurrentControlSet\\Services\\";
  SetText(RootKey::LocalMachine, services + "HivesweepGone", "ImagePath",
          std::string(kMissing) + "\\svc.exe -k x");
  SetText(RootKey::LocalMachine, services + "HivesweepSLSVC", "ImagePath",
          std::string(kMissing) + "\\svc.exe");
  SetText(RootKey::LocalMachine, services + "HivesweepKept", "ImagePath",
          std::string(kTargets) + "\\existing.exe -k x");
  MakeKey(RootKey::CurrentUser, "Software\\HivesweepEmpty\\Only");
  SetText(RootKey::CurrentUser, "Software\\HivesweepFull", "x", "1");
  SetText(RootKey::CurrentUser, "AppEvents\\Schemes\\Apps\\Hivesweep\\Ding\\.Current", "",
          std::string(kMissing) + "\\ding.wav");
  const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  SetText(RootKey::LocalMachine, cv + "Uninstall\\HivesweepGone", "UninstallString",
          std::string(kMissing) + "\\uninst.exe /S");
  SetText(RootKey::LocalMachine, cv + "Installer\\Folders", std::string(kMissing) + "\\", "");
  MakeKey(RootKey::LocalMachine, cv + "App Management\\ARPCache\\HivesweepOrphan");
  const std::string hklm = "HKEY_LOCAL_MACHINE\\";
  EXPECT_EQ(Run({"15", "14", "18", "21"}, "Hivesweep"),
            (Strings{hklm + services + "HivesweepGone\\ImagePath | " + kMissing + "\\svc.exe -k x",
                     "HKEY_CURRENT_USER\\Software | HivesweepEmpty",
                     "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\Hivesweep\\Ding\\.Current | " +
                         std::string(kMissing) + "\\ding.wav",
                     hklm + cv + "Uninstall\\HivesweepGone\\UninstallString | " + kMissing +
                         "\\uninst.exe /S",
                     hklm + cv + "Installer\\Folders | " + kMissing + "\\",
                     hklm + cv + "App Management\\ARPCache | HivesweepOrphan"}));
}

// A fresh Wine prefix holds these standard keys empty, as a fresh Windows does.
TEST_F(RealMachineScan, WindowsOwnEmptySoftwareKeysAreNotObsolete) {
  EXPECT_EQ(Run({"14"}, "Policies"), Strings{});
  EXPECT_EQ(Run({"14"}, "Registered Applications"), Strings{});
}

TEST_F(RealMachineScan, MruListsUsageCountersAndApplications) {
  const std::string mru =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
  SetText(RootKey::CurrentUser, mru, "HivesweepTop", std::string(kMissing) + "\\doc");
  SetText(RootKey::CurrentUser, mru, "HivesweepKept", std::string(kTargets) + "\\existing");
  SetText(RootKey::CurrentUser, mru + "\\exe", "a", std::string(kMissing) + "\\a.exe");
  const std::string count =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
      "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";
  const std::vector<std::uint8_t> ran = {1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Set(RootKey::CurrentUser, count, Rot13("UEME_RUNPATH:" + std::string(kMissing) + "\\run.exe"),
      ran, kRegBinary);
  Set(RootKey::CurrentUser, count,
      Rot13("UEME_RUNPATH:" + std::string(kTargets) + "\\existing.exe"), ran, kRegBinary);
  Set(RootKey::CurrentUser, count, Rot13("HivesweepShort"), {1, 2}, kRegBinary);
  const std::string apps = "Software\\Classes\\Applications\\";
  SetText(RootKey::LocalMachine, apps + "hivesweepgone.exe\\shell\\open\\command", "",
          std::string(kMissing) + "\\a.exe \"%1\"");
  SetText(RootKey::LocalMachine, apps + "hivesweepkept.exe\\shell\\open\\command", "",
          std::string(kTargets) + "\\existing.exe \"%1\"");
  EXPECT_EQ(Run({"20", "22"}, "HivesweepNoSuch"),
            (Strings{"HKEY_CURRENT_USER\\" + mru + "\\HivesweepTop | " + kMissing + "\\doc",
                     "HKEY_CURRENT_USER\\" + mru + "\\exe\\a | " + kMissing + "\\a.exe",
                     "HKEY_CURRENT_USER\\" + count + " | UEME_RUNPATH:" + kMissing + "\\run.exe",
                     "HKEY_LOCAL_MACHINE\\" + apps + "hivesweepgone.exe\\shell\\open\\command | " +
                         kMissing + "\\a.exe \"%1\""}));
}

}  // namespace
}  // namespace hs
