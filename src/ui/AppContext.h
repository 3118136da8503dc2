#pragma once
// What the GUI program's windows work with: the machine (file system and
// registry), where the program lives, the settings, the system's facts and
// the command line. The program entry owns the one instance and passes it by
// reference; a test builds its own over the memory backends.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "platform/SystemFacts.h"
#include "settings/Settings.h"
#include "translation/Translation.h"
#include "ui/LanguageMenu.h"

namespace hs::ui {

struct AppContext {
  FileSystemBackend& fs;
  RegistryBackend& registry;
  std::string programFolder;  // with its trailing backslash
  // The defaults until the main window loads options.ini as it is created
  // (a copy that hands over to a running one never reads them).
  Settings settings;
  SystemFacts facts;
  std::vector<std::string> arguments;  // the command line without the program's path

  // The messages of the current language (settings.Lan), built on each call
  // so that a language chosen in the menu applies at once.
  Translation texts() const { return Translation(fs, programFolder, settings.Lan); }
  // The translation files beside the program, for the Language menu.
  LanguageFiles languageFiles() const;
};

}  // namespace hs::ui
