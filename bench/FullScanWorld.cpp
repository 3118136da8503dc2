#include "bench/FullScanWorld.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/Rot13.h"

namespace hs::bench {
namespace {

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kExplorer = kCurrentVersion + "\\Explorer";
const std::string kUserFolder = "C:\\Users\\bench";

RegValue Dword(const std::string& name, std::uint32_t n) {
  return RegValue{name,
                  kRegDword,
                  {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)}};
}
RegValue NoData(const std::string& name) {
  return RegValue{name, kRegNone, {}};
}

// Writes keys and files, and draws the random choices.
class Areas {
 public:
  Areas(World& world, std::mt19937& random) : m_world(world), m_random(random) {}

  void Key(RootKey root, const std::string& path, const std::vector<RegValue>& values = {}) {
    RegKeyPtr key;
    if (m_world.registry.openKey(root, nullptr, path, RegAccess::All, true, key) != RegStatus::Ok)
      return;
    for (const RegValue& value : values) m_world.registry.setValue(*key, value);
  }
  void Machine(const std::string& path, const std::vector<RegValue>& values = {}) {
    Key(RootKey::LocalMachine, path, values);
  }
  void User(const std::string& path, const std::vector<RegValue>& values = {}) {
    Key(RootKey::CurrentUser, path, values);
  }
  // Windows keeps the classes under HKLM\Software\Classes and shows them
  // again under the classes root; the in-memory root is a separate tree.
  void Class(const std::string& path, const std::vector<RegValue>& values = {}) {
    Key(RootKey::LocalMachine, "Software\\Classes\\" + path, values);
    Key(RootKey::ClassesRoot, path, values);
  }

  int Pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }
  std::string Guid() {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%04X%08X}",
                  static_cast<unsigned>(m_random()), Pick(0x10000), Pick(0x10000), Pick(0x10000),
                  Pick(0x10000), static_cast<unsigned>(m_random()));
    return text;
  }
  std::string Folder() { return ProductFolder(Pick(kVendors), Pick(kProducts)); }
  // `name` in a product folder, made there; `missingPercent` of the time in
  // the folder of a product removed with its folder instead.
  std::string ProductFile(const std::string& name, int missingPercent) {
    const int vendor = Pick(kVendors);
    const int product = Pick(kProducts);
    if (Chance(missingPercent))
      return "C:\\Program Files\\Old" + std::to_string(vendor) + "\\Product" +
             std::to_string(product) + "\\" + name;
    const std::string path = ProductFolder(vendor, product) + "\\" + name;
    File(path);
    return path;
  }
  // A system library; one in ten is gone.
  std::string SystemLibrary() {
    const int n = Pick(550);  // sys0..499.dll exist
    return "%SystemRoot%\\System32\\sys" + std::to_string(n) + ".dll";
  }
  void File(const std::string& path) { m_world.files.addFile(path); }
  void Shortcut(const std::string& path, const std::string& target) {
    m_world.files.addShortcut(path, target);
  }
  MemoryFileSystem& Files() { return m_world.files; }

 private:
  World& m_world;
  std::mt19937& m_random;
};

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// Type libraries, application identifiers, classes and interfaces that refer
// to one another; a few references lead nowhere.
void AddComRegistrations(Areas& a) {
  std::vector<std::string> typeLibs;
  for (int n = 0; n < 1500; ++n) {
    const std::string id = a.Guid();
    typeLibs.push_back(id);
    const std::string version = "TypeLib\\" + id + "\\1.0";
    a.Class(version, {StringValue("", "Bench type library " + std::to_string(n))});
    a.Class(version + "\\0\\win32", {StringValue("", a.ProductFile("types.tlb", 8))});
    a.Class(version + "\\FLAGS", {StringValue("", "0")});
    a.Class(version + "\\HELPDIR", {StringValue("", a.Folder())});
  }
  std::vector<std::string> appIds;
  for (int n = 0; n < 1000; ++n) {
    appIds.push_back(a.Guid());
    a.Class("AppID\\" + appIds.back(), {StringValue("", "Bench server " + std::to_string(n))});
  }
  for (int n = 0; n < 200; ++n)
    a.Class("AppID\\server" + std::to_string(n) + ".exe",
            {StringValue("AppID", appIds[static_cast<std::size_t>(a.Pick(1000))])});
  for (int n = 0; n < 4000; ++n) {
    const std::string key = "CLSID\\" + a.Guid();
    std::vector<RegValue> values{StringValue("", "Bench class " + std::to_string(n))};
    if (a.Chance(20))
      values.push_back(StringValue(
          "AppID", a.Chance(90) ? appIds[static_cast<std::size_t>(a.Pick(1000))] : a.Guid()));
    a.Class(key, values);
    if (a.Chance(70))
      a.Class(
          key + "\\InprocServer32",
          {StringValue("",
                       a.Chance(20) ? a.SystemLibrary()
                                    : a.ProductFile("lib" + std::to_string(a.Pick(5)) + ".dll", 8),
                       a.Chance(20) ? kRegExpandSz : kRegSz),
           StringValue("ThreadingModel", "Apartment")});
    else
      a.Class(key + "\\LocalServer32",
              {StringValue("", Quoted(a.ProductFile("server.exe", 8)) + " -Embedding")});
    a.Class(key + "\\ProgID", {StringValue("", "Bench.Class" + std::to_string(n) + ".1")});
    if (a.Chance(30))
      a.Class(key + "\\TypeLib",
              {StringValue(
                  "", a.Chance(95) ? typeLibs[static_cast<std::size_t>(a.Pick(1500))] : a.Guid())});
    if (a.Chance(15)) a.Class(key + "\\Implemented Categories\\" + a.Guid());
  }
  for (int n = 0; n < 4000; ++n) {
    const std::string key = "Interface\\" + a.Guid();
    a.Class(key, {StringValue("", "IBench" + std::to_string(n))});
    a.Class(key + "\\ProxyStubClsid32",
            {StringValue("", "{00020424-0000-0000-C000-000000000046}")});
    a.Class(key + "\\NumMethods", {StringValue("", std::to_string(3 + a.Pick(20)))});
    if (a.Chance(60))
      a.Class(key + "\\TypeLib",
              {StringValue(
                   "", a.Chance(95) ? typeLibs[static_cast<std::size_t>(a.Pick(1500))] : a.Guid()),
               StringValue("Version", "1.0")});
  }
}

// File extensions with their program identifiers, a few left empty, and the
// "open with" applications.
void AddFileTypes(Areas& a) {
  for (int n = 0; n < 2000; ++n) {
    const std::string extension = ".bx" + std::to_string(n);
    const std::string progId =
        "BenchVendor" + std::to_string(a.Pick(kVendors)) + ".Doc" + std::to_string(n);
    if (a.Chance(3)) {
      a.Class(extension);  // left behind, empty
      continue;
    }
    if (a.Chance(2)) {
      a.Class(extension, {StringValue("", "")});
      continue;
    }
    a.Class(extension, {StringValue("", progId),
                        StringValue("Content Type", "application/x-bx" + std::to_string(n))});
    a.Class(extension + "\\OpenWithProgids", {NoData(progId)});
    const std::string program = a.ProductFile("app.exe", 8);
    a.Class(progId, {StringValue("", "Bench document " + std::to_string(n))});
    a.Class(progId + "\\DefaultIcon", {StringValue("", program + ",1")});
    a.Class(progId + "\\shell\\open\\command", {StringValue("", Quoted(program) + " \"%1\"")});
  }
  for (int n = 0; n < 500; ++n) {
    const std::string key = "Applications\\tool" + std::to_string(n) + ".exe";
    a.Class(key, {StringValue("FriendlyAppName", "Bench tool " + std::to_string(n))});
    a.Class(key + "\\shell\\open\\command",
            {StringValue("", Quoted(a.ProductFile("app.exe", 10)) + " \"%1\"")});
    if (a.Chance(30))
      a.Class(key + "\\shell\\edit\\command",
              {StringValue("", Quoted(a.ProductFile("app.exe", 10)) + " /edit \"%1\"")});
    a.Class(key + "\\SupportedTypes", {NoData(".bx" + std::to_string(a.Pick(2000)))});
  }
}

// Application paths, uninstall entries with their cache, installer folders,
// shared libraries, Run keys, help files, fonts and disabled startup entries.
void AddMachineSoftware(Areas& a) {
  for (int n = 0; n < 1500; ++n) {
    const std::string name = "tool" + std::to_string(n) + ".exe";
    const std::string folder = a.Folder();
    if (!a.Chance(10)) a.File(folder + "\\" + name);
    a.Machine(kCurrentVersion + "\\App Paths\\" + name,
              {StringValue("", folder + "\\" + name), StringValue("Path", folder)});
  }
  std::vector<std::string> uninstallNames;
  for (int n = 0; n < 2000; ++n) {
    const bool installerEntry = a.Chance(40);
    const std::string name = installerEntry ? a.Guid() : "Bench Product " + std::to_string(n);
    uninstallNames.push_back(name);
    std::vector<RegValue> values{
        StringValue("DisplayName", "Bench Product " + std::to_string(n)),
        StringValue("DisplayVersion", "1." + std::to_string(a.Pick(50))),
        StringValue("Publisher", "Vendor " + std::to_string(a.Pick(kVendors))),
        StringValue("InstallLocation", a.Folder() + "\\"),
        StringValue("DisplayIcon", a.ProductFile("app.exe", 10) + ",0"),
        Dword("EstimatedSize", static_cast<std::uint32_t>(a.Pick(100000)))};
    if (!a.Chance(8))
      values.push_back(StringValue(
          "UninstallString", installerEntry ? "MsiExec.exe /X" + name
                                            : Quoted(a.ProductFile("uninst.exe", 10)) + " /S"));
    a.Machine(kCurrentVersion + "\\Uninstall\\" + name, values);
  }
  for (int n = 0; n < 800; ++n) {
    const std::string name = a.Chance(90) ? uninstallNames[static_cast<std::size_t>(a.Pick(2000))]
                                          : "Removed Product " + std::to_string(n);
    a.Machine(kCurrentVersion + "\\App Management\\ARPCache\\" + name,
              {RegValue{"SlowInfoCache", kRegBinary, std::vector<std::uint8_t>(552, 1)},
               Dword("Changed", 0)});
  }
  std::vector<RegValue> folders;
  for (int n = 0; n < 2500; ++n)
    folders.push_back(StringValue(
        a.Chance(90) ? a.Folder() + "\\" : "C:\\Program Files\\Old" + std::to_string(n) + "\\",
        ""));
  a.Machine(kCurrentVersion + "\\Installer\\Folders", folders);
  std::vector<RegValue> sharedDlls;
  for (int n = 0; n < 3000; ++n)
    sharedDlls.push_back(Dword(a.ProductFile("lib" + std::to_string(a.Pick(6)) + ".dll", 5),
                               static_cast<std::uint32_t>(a.Chance(3) ? 0 : 1 + a.Pick(5))));
  a.Machine(kCurrentVersion + "\\SharedDlls", sharedDlls);
  for (const char* run : {"\\Run", "\\RunOnce"}) {
    std::vector<RegValue> entries;
    for (int n = 0; n < 40; ++n)
      entries.push_back(StringValue("Bench" + std::to_string(n),
                                    Quoted(a.ProductFile("app.exe", 10)) + " /background"));
    a.Machine(kCurrentVersion + run, entries);
  }
  for (const char* help :
       {"Software\\Microsoft\\Windows\\Help", "Software\\Microsoft\\Windows\\Html Help"}) {
    std::vector<RegValue> entries;
    for (int n = 0; n < 400; ++n) {
      const std::string folder = a.Folder();
      const std::string name = "manual" + std::to_string(n) + ".chm";
      if (!a.Chance(10)) a.File(folder + "\\" + name);
      entries.push_back(StringValue(name, folder));
    }
    a.Machine(help, entries);
  }
  std::vector<RegValue> fonts;
  for (int n = 0; n < 700; ++n) {
    const std::string file = "font" + std::to_string(n) + ".ttf";
    if (n < 600) a.File("C:\\Windows\\Fonts\\" + file);
    fonts.push_back(StringValue("Bench Font " + std::to_string(n) + " (TrueType)",
                                n % 10 == 0 ? a.ProductFile(file, 30) : file));
  }
  a.Machine("Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", fonts);
  for (int n = 0; n < 30; ++n)
    a.Machine("Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Bench" + std::to_string(n),
              {StringValue("key", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
               StringValue("item", "Bench" + std::to_string(n)),
               StringValue("command", Quoted(a.ProductFile("app.exe", 20)))});
}

// Top-level software keys of both hives, a few of them empty.
void AddSoftwareKeys(Areas& a) {
  for (int n = 0; n < 300; ++n) {
    const std::string key = "Software\\BenchSoft" + std::to_string(n);
    for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser}) {
      if (a.Chance(4)) {
        a.Key(root, key + "\\Settings");  // a chain of empty keys
        continue;
      }
      a.Key(root, key + "\\Settings", {StringValue("InstallDir", a.Folder()), Dword("Level", 3)});
      a.Key(root, key + "\\Recent", {StringValue("File1", a.ProductFile("data.dat", 30))});
    }
  }
}

void AddServices(Areas& a) {
  for (int n = 0; n < 1500; ++n) {
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\BenchSvc" + std::to_string(n);
    std::string image;
    switch (a.Pick(4)) {
      case 0:
        image = "system32\\drivers\\drv" + std::to_string(n) + ".sys";
        break;
      case 1:
        image = "%SystemRoot%\\System32\\svchost.exe -k netsvcs";
        break;
      case 2:
        image = Quoted(a.ProductFile("service.exe", 10)) + " -service";
        break;
      default:
        image = a.ProductFile("driver" + std::to_string(n) + ".sys", 10);
        break;
    }
    a.Machine(key, {StringValue("ImagePath", image, kRegExpandSz),
                    StringValue("DisplayName", "Bench service " + std::to_string(n)),
                    Dword("Start", 3), Dword("Type", 16), Dword("ErrorControl", 1)});
    if (a.Chance(30))
      a.Machine(key + "\\Parameters", {StringValue("ServiceDll", a.SystemLibrary(), kRegExpandSz)});
    if (a.Chance(20)) a.Machine(key + "\\Enum", {Dword("Count", 1), Dword("NextInstance", 1)});
  }
  a.File("C:\\Windows\\System32\\svchost.exe");
}

// Sound schemes, file-type choices, recent-file lists, usage counters and
// start menu order of the current user.
void AddUserAreas(Areas& a) {
  for (int media = 0; media < 200; ++media)
    a.File("C:\\Windows\\Media\\sound" + std::to_string(media) + ".wav");
  for (int app = 0; app < 40; ++app)
    for (int event = 0; event < 25; ++event)
      for (const char* scheme : {".Current", ".Default"}) {
        const std::string sound =
            a.Chance(30) ? "" : "C:\\Windows\\Media\\sound" + std::to_string(a.Pick(220)) + ".wav";
        a.User("AppEvents\\Schemes\\Apps\\BenchApp" + std::to_string(app) + "\\Event" +
                   std::to_string(event) + "\\" + scheme,
               {StringValue("", sound, kRegExpandSz)});
      }
  for (int n = 0; n < 2000; ++n) {
    const std::string key = kExplorer + "\\FileExts\\.bx" + std::to_string(n);
    if (a.Chance(3)) {
      a.User(key + "\\OpenWithList");  // nothing left in it
      continue;
    }
    a.User(key + "\\OpenWithList", {StringValue("a", "app.exe"), StringValue("MRUList", "a")});
    a.User(key + "\\OpenWithProgids", {NoData("BenchVendor.Doc" + std::to_string(n))});
  }
  const std::string mru = kExplorer + "\\ComDlg32\\OpenSaveMRU";
  for (int n = 0; n < 80; ++n) {
    std::vector<RegValue> entries;
    for (char letter = 'a'; letter < 'a' + 20; ++letter)
      entries.push_back(StringValue(
          std::string(1, letter),
          a.ProductFile("doc" + std::to_string(a.Pick(100)) + ".bx" + std::to_string(n), 20)));
    entries.push_back(StringValue("MRUList", "abcdefghijklmnopqrst"));
    a.User(mru + (n == 0 ? "\\*" : "\\bx" + std::to_string(n)), entries);
  }
  std::vector<RegValue> counters;
  for (int n = 0; n < 1500; ++n) {
    const std::string name = a.Chance(20)
                                 ? "UEME_RUNPIDL:%csidl2%\\Bench\\tool" + std::to_string(n) + ".lnk"
                                 : "UEME_RUNPATH:" + a.ProductFile("app.exe", 10);
    std::vector<std::uint8_t> record(16, 0);
    record[4] = static_cast<std::uint8_t>(a.Chance(5) ? 0 : 1 + a.Pick(50));
    counters.push_back(RegValue{Rot13(name) + std::to_string(n), kRegBinary, record});
  }
  a.User(kExplorer + "\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count", counters);
  for (int n = 0; n < 300; ++n)
    a.User(kExplorer + "\\MenuOrder\\Start Menu2\\Programs\\Bench Folder " + std::to_string(n),
           {RegValue{"Order", kRegBinary, std::vector<std::uint8_t>(64, 2)}});
}

// The user's folders: programs menu folders, and shortcuts on the desktop,
// in the start menu, in the recent documents and in application data.
void AddShortcutFolders(Areas& a) {
  MemoryFileSystem& files = a.Files();
  const std::string appData = kUserFolder + "\\AppData\\Roaming";
  const std::string startMenu = appData + "\\Microsoft\\Windows\\Start Menu";
  const std::string common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
  files.setSpecialFolder(csidl::kAppData, appData);
  files.setSpecialFolder(csidl::kStartMenu, startMenu);
  files.setSpecialFolder(csidl::kPrograms, startMenu + "\\Programs");
  files.setSpecialFolder(csidl::kRecent, appData + "\\Microsoft\\Windows\\Recent");
  files.setSpecialFolder(csidl::kDesktopDirectory, kUserFolder + "\\Desktop");
  files.setSpecialFolder(csidl::kCommonStartMenu, common);
  files.setSpecialFolder(csidl::kCommonPrograms, common + "\\Programs");
  files.setSpecialFolder(csidl::kCommonDesktopDirectory, "C:\\Users\\Public\\Desktop");
  files.setSpecialFolder(20, "C:\\Windows\\Fonts");
  for (int n = 0; n < 280; ++n) {
    const std::string folder =
        (n % 2 ? startMenu : common) + "\\Programs\\Bench Folder " + std::to_string(n);
    for (int link = 0; link < 3; ++link)
      a.Shortcut(folder + "\\Bench " + std::to_string(link) + ".lnk", a.ProductFile("app.exe", 8));
  }
  for (int n = 0; n < 400; ++n)
    a.Shortcut(appData + "\\Microsoft\\Windows\\Recent\\doc" + std::to_string(n) + ".bx.lnk",
               a.ProductFile("doc" + std::to_string(n) + ".bx1", 25));
  for (int n = 0; n < 60; ++n) {
    a.Shortcut(kUserFolder + "\\Desktop\\Bench " + std::to_string(n) + ".lnk",
               a.ProductFile("app.exe", 10));
    a.Shortcut(appData + "\\Microsoft\\Internet Explorer\\Quick Launch\\Bench " +
                   std::to_string(n) + ".lnk",
               a.ProductFile("app.exe", 10));
    files.addFile(appData + "\\Bench\\cache" + std::to_string(n) + ".dat");
  }
}

}  // namespace

void AddFullScanAreas(World& world, std::mt19937& random) {
  Areas areas(world, random);
  for (int vendor = 0; vendor < kVendors; ++vendor)
    for (int product = 0; product < kProducts; ++product)
      world.files.addFolder(ProductFolder(vendor, product));
  AddComRegistrations(areas);
  AddFileTypes(areas);
  AddMachineSoftware(areas);
  AddSoftwareKeys(areas);
  AddServices(areas);
  AddUserAreas(areas);
  AddShortcutFolders(areas);
}

}  // namespace hs::bench
