#pragma once
// TfrmRestore: the backup files of a folder (name, date, size, newest
// first), restored one at a time through the engine's verified restore, or
// item by item ("Show items...", TfrmRestoreItems), deleted, or shown in the
// file manager; "..." lists another folder. The
// decisions live in restore/ (BackupList, RestoreWithQuestion,
// RestoreDialogRules); this dialog maps its controls onto them.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "restore/RegistryEditor.h"
#include "translation/Translation.h"

namespace hs::win32 {

// Control ids, for tests that drive the dialog through messages.
inline constexpr int kRestoreFolder = 1101;
inline constexpr int kRestoreBrowse = 1102;
inline constexpr int kRestoreList = 1103;
inline constexpr int kRestoreRestore = 1104;
inline constexpr int kRestoreOpenDirectory = 1105;
inline constexpr int kRestoreDelete = 1106;
inline constexpr int kRestoreShowItems = 1107;
inline constexpr int kRestoreClose = IDCANCEL;  // Esc closes it too

// What the dialog asks of the user and the shell, as replaceable calls; the
// defaults are the system's message boxes, folder picker and shell.
struct RestoreDialogCalls {
  // A Yes/No question (No is the default); true for Yes.
  std::function<bool(HWND owner, const std::string& text)> askYesNo;
  // A message with the information (or, for `error`, the error) icon.
  std::function<void(HWND owner, const std::string& text, bool error)> tell;
  // The shell's folder picker; nothing when cancelled.
  std::function<std::optional<std::string>(HWND owner, const std::string& title)> chooseFolder;
  // Shows the folder in the file manager.
  std::function<void(HWND owner, const std::string& folder)> openFolder;
  // Runs the registry editor with a command line and waits for it.
  std::function<EditorRun(HWND owner, const std::string& commandLine)> runEditor;
  // Puts a file back from the Recycle Bin to its path.
  std::function<bool(const std::string& path)> putBack;

  // The system's dialogs; the editor waits behind TfrmBackupHint.
  static RestoreDialogCalls System(FileSystemBackend& fs, const Translation& translation,
                                   const std::string& language);
};

struct RestoreDialogInput {
  FileSystemBackend& fs;
  RegistryBackend& registry;
  const Translation& translation;
  std::string language;           // relabelled from its translation file unless English
  std::string backupFolder;       // option OutputDirectory: listed first; deletion stays inside it
  bool deleteBackupFile = false;  // option DeleteBackupFile
  RestoreDialogCalls calls;
};

void RestoreDialog(HWND owner, const RestoreDialogInput& input);

}  // namespace hs::win32
