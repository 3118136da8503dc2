#pragma once
// "&Backup Full Registry...": the save dialog, the overwrite question, the
// export by the system registry editor behind the wait dialog, and then the
// check that the file is there and starts as an export: the user is told
// when it is not.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"
#include "restore/RegistryEditor.h"
#include "translation/Translation.h"

namespace hs::win32 {

// What the command asks of the user and the system, as replaceable calls.
struct FullBackupCalls {
  // The save dialog with this title; nothing when cancelled.
  std::function<std::optional<std::string>(HWND owner, const std::string& title)> chooseFile;
  // The overwrite question (No is the default); true for Yes.
  std::function<bool(HWND owner, const std::string& text)> askYesNo;
  // A failure the user must know about.
  std::function<void(HWND owner, const std::string& text)> tellError;
  // Runs the registry editor with a command line and a hint text, waiting.
  std::function<EditorRun(HWND owner, const std::string& commandLine, const std::string& hint)>
      runEditor;

  // The system's dialogs; the editor waits behind TfrmBackupHint.
  static FullBackupCalls System(FileSystemBackend& fs, const Translation& translation,
                                const std::string& language);
};

struct FullBackupInput {
  FileSystemBackend& fs;
  const Translation& translation;
  FullBackupCalls calls;
};

enum class FullBackupEnd { Cancelled, NotReplaced, Written, Failed };

struct FullBackupResult {
  FullBackupEnd end = FullBackupEnd::Cancelled;
  std::string path;   // the file chosen, ".reg" added where needed
  std::string error;  // why it failed (also shown, unless the runner showed its own)
};

FullBackupResult BackupFullRegistry(HWND owner, const FullBackupInput& input);

}  // namespace hs::win32
