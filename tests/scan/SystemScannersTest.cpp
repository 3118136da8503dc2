#include <gtest/gtest.h>

#include "scan/RegistryScanHarness.h"

namespace hs {
namespace {

using testing::FindingRows;
using testing::RegistryScanHarness;
using Strings = std::vector<std::string>;

TEST(SystemScanners, ObsoleteSoftwareKeysByTheEmptinessRule) {
  RegistryScanHarness h;
  h.Seed(
      "[HKEY_CURRENT_USER\\Software\\EmptyDefault]\r\n@=\"\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\Hollow\\Only]\r\n"
      "[HKEY_CURRENT_USER\\Software\\TwoEmpty\\A]\r\n"
      "[HKEY_CURRENT_USER\\Software\\TwoEmpty\\B]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Chain\\A\\B\\C]\r\n\"x\"=dword:00000001\r\n"
      "[HKEY_CURRENT_USER\\Software\\Same]\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Same]\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Guarded\\Inner]\r\n"
      // Windows' own keys, empty on a fresh system: never obsolete software.
      "[HKEY_LOCAL_MACHINE\\Software\\Policies]\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Registered Applications]\r\n"
      "[HKEY_CURRENT_USER\\Software\\policies]\r\n"
      "[HKEY_CURRENT_USER\\Software\\AppDataLow]\r\n");
  h.registry.denyAccess("HKEY_LOCAL_MACHINE\\Software\\Guarded\\Inner");
  EXPECT_EQ(FindingRows(h.Run(14)), (Strings{"HKEY_CURRENT_USER\\Software | Hollow | 3",
                                             "HKEY_CURRENT_USER\\Software | Same | 3",
                                             "HKEY_LOCAL_MACHINE\\Software | Same | 3"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Obsolete Software Key");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Software Locations..."});
}

TEST(SystemScanners, ServicesImagePath) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Windows\\System32\\drivers");
  h.files.addFile("C:\\Windows\\System32\\svc.exe");
  h.files.setEnvironment("SystemRoot", "C:\\Windows");
  h.Seed(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gone]\r\n"
      "\"ImagePath\"=\"C:\\\\Program Files\\\\Gone\\\\gone.exe -service\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Expand]\r\n"
      "\"ImagePath\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,2e,65,78,65,00\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Present]\r\n"
      "\"ImagePath\"=\"%SystemRoot%\\\\System32\\\\svc.exe -k x\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\FolderPath]\r\n"
      "\"ImagePath\"=\"C:\\\\Windows\\\\System32\\\\drivers\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\NoImage]\r\n"
      "\"Start\"=dword:00000002\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Driver]\r\n"
      "\"ImagePath\"=\"system32\\\\drivers\\\\gone.sys\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\sLsVc]\r\n"
      "\"ImagePath\"=\"C:\\\\gone\\\\slsvc.exe\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\MySLSVCx]\r\n"
      "\"ImagePath\"=\"C:\\\\gone\\\\slsvc.exe\"\r\n");
  EXPECT_EQ(FindingRows(h.Run(15)),
            (Strings{"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Expand\\ImagePath | "
                     "%SystemRoot%\\x.exe | 1",
                     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gone\\ImagePath | "
                     "C:\\Program Files\\Gone\\gone.exe -service | 1"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Windows Service Issue");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Windows Services..."});
}

TEST(SystemScanners, SoundSchemesOnlyTheSchemeKeys) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Media");
  h.files.addFile("C:\\Media\\ding.wav");
  h.Seed(
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current]\r\n"
      "@=\"C:\\\\Media\\\\gone.wav\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.DEFAULT]\r\n"
      "@=\"C:\\\\Media\\\\ding.wav\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\Utopia0]\r\n"
      "@=\"C:\\\\Media\\\\utopia.wav\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\MyScheme]\r\n"
      "@=\"C:\\\\Media\\\\mine.wav\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\MyScheme\\.current]\r\n"
      "@=\"C:\\\\Media\\\\nested.wav\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\Empty\\.Current]\r\n"
      "@=\"\"\r\n"
      "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\Folder\\.Current]\r\n"
      "@=\"C:\\\\Media\"\r\n");
  const std::string base = "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\";
  EXPECT_EQ(FindingRows(h.Run(18)),
            (Strings{base + "Folder\\.Current | C:\\Media | 5",
                     base + "SystemStart\\.Current | C:\\Media\\gone.wav | 5",
                     base + "SystemStart\\MyScheme\\.current | C:\\Media\\nested.wav | 5",
                     base + "SystemStart\\Utopia0 | C:\\Media\\utopia.wav | 5"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Missing Sound File");
}

TEST(SystemScanners, InstallerStepsInOrder) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Apps\\Kept");
  h.files.addFile("C:\\Apps\\Kept\\uninst.exe");
  h.Seed(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kept]\r\n"
      "\"UninstallString\"=\"C:\\\\Apps\\\\Kept\\\\uninst.exe /S\"\r\n"
      "\"DisplayIcon\"=\"C:\\\\Apps\\\\Gone\\\\icon.ico\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone]\r\n"
      "\"UninstallString\"=\"C:\\\\Apps\\\\Gone\\\\uninst.exe /S\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders]\r\n"
      "\"C:\\\\Apps\\\\Kept\\\\\"=\"\"\r\n"
      "\"C:\\\\Apps\\\\Gone\\\\\"=dword:00000000\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\"
      "ARPCache\\KEPT]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\"
      "ARPCache\\Removed]\r\n");
  const std::string hklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  EXPECT_EQ(FindingRows(h.Run(21)),
            (Strings{hklm + "Uninstall\\Gone\\UninstallString | C:\\Apps\\Gone\\uninst.exe /S | 1",
                     hklm + "Installer\\Folders | C:\\Apps\\Gone\\ | 2",
                     hklm + "App Management\\ARPCache | Removed | 3"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Installer Reference Issue");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Installer..."});
}

TEST(SystemScanners, CacheIsNotJudgedWhenTheUninstallKeyCannotBeRead) {
  RegistryScanHarness h;
  h.Seed(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\A]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\"
      "ARPCache\\A]\r\n");
  h.registry.denyAccess(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  EXPECT_TRUE(h.Run(21).empty());
}

TEST(SystemScanners, EmptyKeysTaskOnlyShowsItsCaption) {
  RegistryScanHarness h;
  h.Seed("[HKEY_USERS\\.DEFAULT\\Software\\Empty]\r\n");
  EXPECT_TRUE(h.Run(23).empty());
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Empty Registry Keys..."});
}

}  // namespace
}  // namespace hs
