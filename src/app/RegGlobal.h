#pragma once
// Process-wide state: the settings (named by their keys in options.ini), the
// message lookup in the current language, the Windows version code and the
// WOW64 test. Nothing else in the program is global.
#include <array>
#include <string>
#include <vector>

namespace hs {

class FileSystemBackend;

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

// The text of a message in the current language; the built-in English text
// when the language is English or the translation lacks the key.
std::string GetLanString(const std::string& key, const std::string& english);

}  // namespace hs
