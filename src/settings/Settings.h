#pragma once
// The settings, named by their keys in options.ini, with their defaults.
// One copy belongs to whoever runs the program (the main window, the console
// command); nothing here is process-wide.
#include <array>
#include <string>
#include <vector>

namespace hs {

struct Settings {
  std::string OutputDirectory;  // default: program folder + "Backup"
  bool DeleteBackupFile = true;
  bool IncludeRemoveMedia = false;
  bool IncludeCDdrive = false;
  bool Beep = false;
  std::array<bool, 24> TreeViewNodeCheck{};  // flags 1..23; index 0 unused
  std::vector<std::string> IgnoreValueList;  // its size is IgnoreValueCount
  std::vector<std::string> IgnoreKeyList;    // its size is IgnoreKeyCount
  // The main window's placement: WindowState is GetWindowPlacement's show
  // command (1 normal, 2 minimized, 3 maximized; 0 when unknown, not saved).
  bool WindowMaximized = false;
  int WindowState = 0;
  int WindowLeft = 0;
  int WindowTop = 0;
  int WindowWidth = kDesignedWindowWidth;
  int WindowHeight = kDesignedWindowHeight;
  bool ShowHint = true;
  bool RestorePoint = false;
  std::string Lan = "English";

  // The main window's size as designed, before any stored size is applied.
  static constexpr int kDesignedWindowWidth = 684;
  static constexpr int kDesignedWindowHeight = 520;

  // The defaults of the settings table for a program living in `programFolder`
  // (with its trailing backslash).
  static Settings Defaults(const std::string& programFolder);
};

}  // namespace hs
