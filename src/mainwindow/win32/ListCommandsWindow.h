#pragma once
// The findings list's commands as the main window runs them: check marks of
// every row or of the focused row's Problem, moving the selected rows to the
// ignore lists (saved to options.ini at once), saving the list as a text
// report, and opening the registry editor at a row's key. The window maps its
// list's focus and selection to row indices, calls these and refreshes its
// list and counts afterwards; which commands are enabled is
// ListCommandsEnabledFor (findings/ListCommandState.h).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "mainwindow/win32/WindowQuestions.h"
#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "scan/Finding.h"
#include "settings/SettingsFile.h"

namespace hs {
struct Settings;
}  // namespace hs

namespace hs::win32 {

struct ListCommandInput {
  RegistryBackend& registry;  // the registry editor's LastKey is written here
  FileSystemBackend& fs;
  Settings& settings;         // the ignore lists
  std::string programFolder;  // where options.ini is saved, with its trailing backslash
  ScreenSize screen;          // for the settings save
  WindowQuestions questions = WindowQuestions::System();
};

// "Select &All of Type" / "S&elect None of Type": every row whose Problem
// equals the focused row's exactly. False when no row is focused.
bool SetCheckedOfFocusedType(std::vector<Finding>& rows, std::optional<std::size_t> focused,
                             bool checked);

struct IgnoreAddResult {
  std::size_t rowsRemoved = 0;
  std::string saveError;  // "" when options.ini was saved (or nothing changed)
};

// "Add to &Ignore Lists": the selected rows (indices into `rows`) become
// ignore entries and leave the list; the settings are saved at once through
// the atomic save. A failed save is shown to the user and returned; the
// entries stay in memory and are saved with the next save.
IgnoreAddResult AddToIgnoreLists(HWND owner, ListCommandInput& input, std::vector<Finding>& rows,
                                 const std::vector<std::size_t>& selected);

enum class SaveReportEnd { Cancelled, NotReplaced, Written, Failed };

struct SaveReportResult {
  SaveReportEnd end = SaveReportEnd::Cancelled;
  std::string path;   // the file written (or that failed)
  std::string error;  // why it failed (also shown to the user)
};

// "&Save to Text File...": the save dialog, ".txt" appended unless the name
// ends exactly in it, the overwrite question (No is the default), then the
// report's bytes written in one replacing step.
SaveReportResult SaveToTextFile(HWND owner, ListCommandInput& input,
                                const std::vector<Finding>& rows);

// "Open in &RegEdit...": writes the row's key as the value LastKey of the
// registry editor's settings key of the current user (the key it shows when
// it starts) and starts the editor by its full path in the Windows folder,
// never through the search path. False when a file row was given or the
// editor could not be started.
bool OpenInRegedit(ListCommandInput& input, const Finding& row);

}  // namespace hs::win32
