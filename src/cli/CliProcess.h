#pragma once
// What every console command starts from, set up as the window does: the
// program's folder, the user's settings from options.ini (so that the backup
// folder, DeleteBackupFile, the ignore lists and the language are the user's
// own), the system's facts and the texts in the user's language. Each
// program fills it from its own machine (cli/win32/CliSettings.h on Windows,
// the offline installation's hives on Linux).
#include <string>

#include "platform/SystemFacts.h"
#include "settings/Settings.h"
#include "translation/Translation.h"

namespace hs::cli {

struct CliProcess {
  std::string programFolder;
  Settings settings;
  SystemFacts facts;
  Translation texts;  // reads through the file system given; it must outlive this
};

}  // namespace hs::cli
