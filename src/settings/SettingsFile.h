#pragma once
// options.ini: where it lives, and loading and saving the settings in the
// order in which a new file receives its lines.
//
// One rule picks the file for loads and saves alike: beside the executable
// when a file can be created in the program's folder, otherwise in the
// user's application-data folder under "Corvane Hivesweep". A file left
// beside the executable in a folder that is not writable is read only until
// the first save has made the application-data copy (it carries the old
// settings over); from then on that copy is read, so a save is never hidden
// behind the file it could not replace.
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"
#include "settings/Settings.h"
#include "translation/IniFile.h"

namespace hs {

inline constexpr const char* kSettingsFileName = "options.ini";
inline constexpr const char* kAppDataFolderName = "Corvane Hivesweep";
// An ignore list's "Count" is believed up to this many entries; a larger one
// is a damaged or hostile file and would only stall the start.
inline constexpr int kMaxIgnoreEntries = 10000;

// The screen the main window opens on; a window without a stored position is
// centred on it.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

struct SettingsFilePaths {
  std::string besideProgram;  // program folder + "options.ini"
  std::string appDataFolder;  // "" when the system has no application-data folder
  std::string inAppData;      // appDataFolder + "\options.ini", or ""
};
SettingsFilePaths LocateSettingsFile(FileSystemBackend& fs, const std::string& programFolder);
struct SettingsFileChoice {
  std::string writeTo;   // the file a save replaces
  std::string readFrom;  // writeTo when it exists, else the file it takes over, or ""
};
// Applies the rule above; tests the program folder by creating (and removing)
// the save's temporary file there.
SettingsFileChoice ChooseSettingsFile(FileSystemBackend& fs, const SettingsFilePaths& paths);

// Reads every setting (missing keys give the defaults, the window's stored
// size replaces the one in `settings`). Ignore lists are appended to.
void LoadOptions(const IniFile& file, const std::string& programFolder, ScreenSize screen,
                 Settings& settings);
// Writes every setting. The main window first copies its placement and its
// section checks into `settings`.
void SaveOptions(IniFile& file, const Settings& settings);

// The load (true) or save (false) of the main window. A save writes the whole
// file at once and replaces the old one in one step; when that fails nothing
// on disk changes and the result is the message to show,
// "Unable to write to <path>". A load never fails. `screen` serves loads only.
std::optional<std::string> LoadSaveOptions(bool load, FileSystemBackend& fs,
                                           const std::string& programFolder, ScreenSize screen,
                                           Settings& settings);

}  // namespace hs
