#pragma once
// What every console command starts from, set up as the window does: the
// program's folder, the user's settings from options.ini (so that the backup
// folder, DeleteBackupFile, the ignore lists and the language are the user's
// own), the system's facts and the texts in the user's language.
#include <string>

#include "platform/SystemFacts.h"
#include "platform/win32/ProgramLocation.h"
#include "platform/win32/QuerySystemFacts.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/Translation.h"

namespace hs::cli {

struct CliProcess {
  std::string programFolder;
  Settings settings;
  SystemFacts facts;
  Translation texts;  // reads through the file system given; it must outlive this
};

inline CliProcess PrepareCliProcess(FileSystemBackend& files) {
  CliProcess process;
  process.programFolder = win32::ProgramFolder();
  process.settings = Settings::Defaults(process.programFolder);
  // The console has no window: the screen only centres a window's position.
  LoadSaveOptions(true, files, process.programFolder, ScreenSize{}, process.settings);
  process.facts = QuerySystemFacts();
  process.texts = Translation(files, process.programFolder, process.settings.Lan);
  return process;
}

}  // namespace hs::cli
