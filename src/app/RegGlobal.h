#pragma once
// Process-wide state: the settings (named by their keys in options.ini), the
// message lookup in the current language, the Windows version code and the
// WOW64 test. Nothing else in the program is global.
#include <array>
#include <string>
#include <vector>

#include "app/WindowsVersion.h"

namespace hs {

class FileSystemBackend;
class RegistryBackend;

struct Settings {
  std::string OutputDirectory;  // default: program folder + "Backup"
  bool DeleteBackupFile = true;
  bool IncludeRemoveMedia = false;
  bool IncludeCDdrive = false;
  bool Beep = false;
  std::array<bool, 24> TreeViewNodeCheck{};  // flags 1..23; index 0 unused
  std::vector<std::string> IgnoreValueList;  // its size is IgnoreValueCount
  std::vector<std::string> IgnoreKeyList;    // its size is IgnoreKeyCount
  bool WindowMaximized = false;
  int WindowLeft = 0;
  int WindowTop = 0;
  bool ShowHint = true;
  bool RestorePoint = false;
  std::string Lan = "English";

  // The defaults of the settings table for a program living in `programFolder`
  // (with its trailing backslash).
  static Settings Defaults(const std::string& programFolder);
};

// The process's settings.
Settings& AppSettings();

// Where the program lives and how it reads files; set once at start.
void SetProgramEnvironment(FileSystemBackend& fs, const std::string& programFolder);
FileSystemBackend& ProgramFileSystem();
const std::string& ProgramFolder();  // with trailing backslash

// The registry the helpers below write to; set once at start.
void SetProgramRegistry(RegistryBackend& registry);
RegistryBackend& ProgramRegistry();

// Facts about the running system, set once at start by the Windows side (and
// by tests as they need). Until then: an unknown version (code 10), no WOW64,
// no user SID.
struct SystemFacts {
  WindowsVersionInfo version;
  bool wow64 = false;
  std::string userSid;  // "S-1-5-21-...": the key of this user's hive under HKEY_USERS
};
void SetSystemFacts(const SystemFacts& facts);
// The code of the running Windows version (see WindowsVersionCodeFor).
int WindowsVersionCode();
// Yes when the program runs as a 32-bit process on 64-bit Windows.
bool IsWow64();
// The SID of the user this process runs as, in its text form; "" when unknown.
const std::string& CurrentUserSid();

// The translation file of `language`: program folder + "Lan_" + language +
// ".ini"; "" when the name could reach outside the program folder (a path
// separator, a drive colon or a character no file name may hold).
std::string TranslationFilePath(const std::string& language);

// The text of message `key` in the current language (`Lan`). English (in any
// letter case) never reads a file. Otherwise the value of the key in section
// "ResourceString" of the language's translation file, read afresh on every
// call; the built-in English text when the file, the key or its text is
// missing.
std::string GetLanString(const std::string& key, const std::string& english);

}  // namespace hs
