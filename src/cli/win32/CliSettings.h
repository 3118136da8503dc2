#pragma once
// The console's CliProcess on the running Windows: options.ini beside the
// program (or in the user's application data), the live system's facts.
#include "cli/CliProcess.h"
#include "platform/win32/ProgramLocation.h"
#include "platform/win32/QuerySystemFacts.h"
#include "settings/SettingsFile.h"

namespace hs::cli {

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
