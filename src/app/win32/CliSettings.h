#pragma once
// The settings the console's repair, restore and backups commands follow: the
// defaults for the program's folder, then options.ini as the window loads
// it, so that the backup folder, DeleteBackupFile and the ignore lists are
// the user's own.
#include "app/RegGlobal.h"
#include "app/win32/SystemFacts.h"
#include "platform/win32/ProgramLocation.h"
#include "settings/SettingsFile.h"

namespace hs::cli {

// The console has no window: its size and section checks are left alone.
class NoWindow : public MainWindowPlacement {
 public:
  ScreenSize Screen() const override { return {}; }
  WindowBounds Bounds() const override { return {}; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  std::optional<int> PlacementShowCommand() const override { return std::nullopt; }
  void CollectSectionChecks(std::array<bool, 24>&) override {}
};

inline Settings LoadCliSettings(FileSystemBackend& files) {
  const std::string folder = win32::ProgramFolder();
  Settings settings = Settings::Defaults(folder);
  NoWindow window;
  LoadSaveOptions(true, files, folder, settings, window);
  return settings;
}

// The process-wide state a scanning command needs, set up as the window
// does: system facts, the program's folder and file system, and the settings
// (the language of every text among them). `files` must live as long as the
// process uses it.
inline const Settings& PrepareCliProcess(FileSystemBackend& files) {
  InitSystemFacts();
  SetProgramEnvironment(files, win32::ProgramFolder());
  AppSettings() = LoadCliSettings(files);
  return AppSettings();
}

}  // namespace hs::cli
