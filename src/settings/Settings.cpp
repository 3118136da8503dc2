#include "settings/Settings.h"

namespace hs {

Settings Settings::Defaults(const std::string& programFolder) {
  Settings settings;
  settings.OutputDirectory = programFolder + "Backup";
  settings.TreeViewNodeCheck.fill(true);
  settings.TreeViewNodeCheck[0] = false;
  return settings;
}

}  // namespace hs
