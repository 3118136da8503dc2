#pragma once
// TfrmOptions ("Options"): the backup folder, six yes/no settings and the two
// ignore lists, edited on a copy. OK checks the folder first and stays open
// on page "General" when it is missing; Cancel and the close box keep every
// setting as it was.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"
#include "settings/OptionsRules.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

// Control ids, for tests that drive the dialog through messages.
inline constexpr int kOptionsPages = 1300;         // suiPageControl1
inline constexpr int kOptionsOutputFolder = 1302;  // eOutputFolder
inline constexpr int kOptionsBrowse = 1303;
inline constexpr int kOptionsFirstCheckBox = 1304;  // cbCreateRestore .. cbBeep, in order
inline constexpr int kOptionsListPages = 1311;      // suiPageControl2
inline constexpr int kOptionsValues = 1312;         // lvValues
inline constexpr int kOptionsKeys = 1313;           // lvKeys
inline constexpr int kOptionsAdd = 1314;
inline constexpr int kOptionsEdit = 1315;
inline constexpr int kOptionsRemove = 1316;

// Shows a message to the user; the default is an error box captioned with
// the program's name.
using TellError = std::function<void(HWND owner, const std::string& text)>;
TellError ErrorBox();

struct OptionsDialogInput {
  FileSystemBackend& fs;  // tests the backup folder, reads the translation file
  const Translation& translation;
  std::string language;  // relabelled from its translation file unless English
  const Settings& settings;
  TellError tellError = ErrorBox();
};

// The form confirmed with OK; nothing when the dialog was cancelled.
std::optional<OptionsForm> OptionsDialog(HWND owner, const OptionsDialogInput& input);

struct OptionsCommandInput {
  FileSystemBackend& fs;
  const Translation& translation;
  std::string programFolder;  // where options.ini is saved, with its trailing backslash
  ScreenSize screen;          // for the settings save
  Settings& settings;         // the owner's settings, placement already stored
  TellError tellError = ErrorBox();
};

struct OptionsCommandResult {
  bool confirmed = false;
  std::string saveError;  // "" when options.ini was saved (or nothing was confirmed)
};

// "&Options...": the dialog over a copy of the settings; a confirmed form
// goes into `settings` and options.ini is saved at once through the atomic
// save, so a crash later cannot lose it. A failed save is told and returned;
// the settings stay changed in memory and go with the next save.
OptionsCommandResult RunOptionsCommand(HWND owner, OptionsCommandInput& input);

}  // namespace hs::win32
