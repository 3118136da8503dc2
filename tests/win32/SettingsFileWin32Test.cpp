// Saving and loading options.ini, and the shared helpers, on the real file
// system and registry.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/SharedHelpers.h"
#include "platform/TRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "settings/SettingsFile.h"

namespace hs {
namespace {

std::string SettingsTempFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
  return Utf16ToUtf8(std::u16string(buffer, buffer + length)) + "hs-settings-" +
         std::to_string(::GetCurrentProcessId()) + "\\";
}

std::string SystemString(const std::string& file, const char* section, const char* key) {
  const std::u16string path = Utf8ToUtf16(file);
  const std::u16string sectionW = Utf8ToUtf16(section), keyW = Utf8ToUtf16(key);
  wchar_t buffer[2048] = {};
  ::GetPrivateProfileStringW(reinterpret_cast<const wchar_t*>(sectionW.c_str()),
                             reinterpret_cast<const wchar_t*>(keyW.c_str()), L"<none>", buffer,
                             2048, reinterpret_cast<const wchar_t*>(path.c_str()));
  return Utf16ToUtf8(reinterpret_cast<const char16_t*>(buffer));
}

TEST(SettingsFileWin32, SavesReplaceTheFileWholeAndLoadReadsThemBack) {
  win32::Win32FileSystem fs;
  const std::string folder = SettingsTempFolder();
  ASSERT_EQ(fs.createDirectory(folder.substr(0, folder.size() - 1)), FsStatus::Ok);
  Settings settings = Settings::Defaults(folder);
  settings.IgnoreKeyList = {"HKEY_CURRENT_USER\\Software\\Old"};
  ASSERT_EQ(LoadSaveOptions(false, fs, folder, {1280, 1024}, settings), std::nullopt);
  settings.Lan = "German";
  settings.IgnoreKeyList = {"HKEY_CURRENT_USER\\Software\\\xE4\xB8\xAD"};
  settings.WindowLeft = 10;
  settings.WindowTop = 20;
  settings.WindowWidth = 800;
  settings.WindowHeight = 600;
  ASSERT_EQ(LoadSaveOptions(false, fs, folder, {1280, 1024}, settings), std::nullopt);

  const std::string file = folder + "options.ini";
  EXPECT_EQ(fs.probe(file + ".tmp"), PathProbe::NotFound);
  EXPECT_EQ(SystemString(file, "Options", "Lan"), "German");
  EXPECT_EQ(SystemString(file, "IgnoreKey", "Key1"), "HKEY_CURRENT_USER\\Software\\\xE4\xB8\xAD");
  EXPECT_EQ(SystemString(file, "Window", "Width"), "800");

  Settings loaded = Settings::Defaults(folder);
  ASSERT_EQ(LoadSaveOptions(true, fs, folder, {1280, 1024}, loaded), std::nullopt);
  EXPECT_EQ(loaded.Lan, "German");
  EXPECT_EQ(loaded.IgnoreKeyList, settings.IgnoreKeyList);
  EXPECT_EQ(loaded.WindowWidth, 800);
  EXPECT_EQ(loaded.WindowLeft, 10);

  EXPECT_TRUE(DeleteFileSilently(fs, file));
  EXPECT_EQ(fs.probe(file), PathProbe::NotFound);
  EXPECT_TRUE(DeleteFileSilently(fs, folder.substr(0, folder.size() - 1)));
}

TEST(SettingsFileWin32, WriteUserRegStringCreatesItsKeyInTheRealRegistry) {
  win32::Win32Registry registry;
  TRegistry scratch(registry, RootKey::CurrentUser);
  scratch.RemovePath("Software\\HivesweepTest\\UserString");
  ASSERT_TRUE(WriteUserRegString(registry, "Software\\HivesweepTest\\UserString\\Deep", "LastKey",
                                 "HKEY_LOCAL_MACHINE\\SOFTWARE"));
  TRegistry check(registry, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(check.OpenPath("Software\\HivesweepTest\\UserString\\Deep"));
  EXPECT_EQ(check.ReadValueText("LastKey"), "HKEY_LOCAL_MACHINE\\SOFTWARE");
  check.ClosePath();
  scratch.RemovePath("Software\\HivesweepTest\\UserString");
}

}  // namespace
}  // namespace hs
