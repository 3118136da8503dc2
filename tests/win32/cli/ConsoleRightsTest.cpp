// repair and restore from a prompt without administrator rights: the
// documented exit code and "run from an elevated prompt", and the real
// registry, backup folder and backup file as they were. The rights check is
// answered by the test; the system's own check agrees with the shell's.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/win32/CliCommands.h"
#include "platform/win32/AdministratorRights.h"

namespace hs {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRestoredKey = L"Software\\HivesweepTest\\RightsRestore";

bool NoRights() {
  return false;
}

std::filesystem::path TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::filesystem::path(temp) / name;
}

bool ValueExists(HKEY root, const wchar_t* key, const wchar_t* name) {
  return ::RegGetValueW(root, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

// The number of backups recorded, or -1 when there is no record yet.
long RecordedBackups() {
  HKEY record = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane Hivesweep\\Backup Record", 0,
                      KEY_READ, &record) != ERROR_SUCCESS)
    return -1;
  DWORD values = 0;
  ::RegQueryInfoKeyW(record, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
  ::RegCloseKey(record);
  return static_cast<long>(values);
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(ConsoleRightsTest, RepairWithoutRightsEndsWithItsCodeAndChangesNothing) {
  const wchar_t* gone = L"C:\\hs-rights-gone\\tool.exe";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"HsRightsGone", REG_SZ, gone,
                              static_cast<DWORD>((wcslen(gone) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const std::filesystem::path backups = TempFolder(L"hs-rights-backup");
  std::filesystem::remove_all(backups);
  const long recorded = RecordedBackups();

  testing::internal::CaptureStderr();
  const int code = cli::RunRepairWith(
      {"--sections", "startup", "--backup-dir", Utf8(backups), "--quiet"}, NoRights);
  const std::string err = testing::internal::GetCapturedStderr();

  EXPECT_EQ(code, kExitNeedsAdministrator);
  EXPECT_NE(err.find("hivesweep-cli repair: "), std::string::npos) << err;
  EXPECT_NE(err.find("run from an elevated prompt"), std::string::npos) << err;
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, L"HsRightsGone"));
  EXPECT_FALSE(std::filesystem::exists(backups));
  EXPECT_EQ(RecordedBackups(), recorded);

  // With the rights, the same command repairs the entry: the check alone
  // held it back.
  testing::internal::CaptureStdout();
  const int granted = cli::RunRepairWith(
      {"--sections", "startup", "--backup-dir", Utf8(backups), "--quiet"}, [] { return true; });
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(granted, kExitOk) << out;
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, L"HsRightsGone")) << out;
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"HsRightsGone");
  std::filesystem::remove_all(backups);
}

TEST(ConsoleRightsTest, RestoreWithoutRightsEndsWithItsCodeAndKeepsTheFile) {
  const std::filesystem::path file = TempFolder(L"hs-rights-restore.reg");
  std::ofstream(file, std::ios::binary)
      << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\HivesweepTest\\RightsRestore]\r\n"
         "\"Back\"=\"again\"\r\n\r\n";

  testing::internal::CaptureStderr();
  const int code = cli::RunRestoreWith({"--force", Utf8(file)}, NoRights);
  const std::string err = testing::internal::GetCapturedStderr();

  EXPECT_EQ(code, kExitNeedsAdministrator);
  EXPECT_NE(err.find("run from an elevated prompt"), std::string::npos) << err;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRestoredKey));
  EXPECT_TRUE(std::filesystem::exists(file));
  std::filesystem::remove(file);
}

TEST(ConsoleRightsTest, TheSystemsAnswerIsTheShells) {
  EXPECT_EQ(win32::HoldsAdministratorRights(), ::IsUserAnAdmin() != FALSE);
}

}  // namespace
}  // namespace hs
