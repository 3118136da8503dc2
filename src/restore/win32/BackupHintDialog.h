#pragma once
// RunRegistryEditor: the system registry editor started hidden by its full
// path, waited for behind the modal dialog TfrmBackupHint (a creeping bar,
// "Stop"). Nothing is ever killed but that editor, and only on Stop: closing
// the dialog leaves it running.
#include <windows.h>

#include <string>

#include "platform/FileSystemBackend.h"
#include "restore/RegistryEditor.h"
#include "translation/Translation.h"

namespace hs::win32 {

// Control ids, for tests that drive the dialog through messages.
inline constexpr int kBackupHintLabel = 1201;
inline constexpr int kBackupHintBar = 1202;
inline constexpr int kBackupHintStop = 1203;

struct BackupHintInput {
  FileSystemBackend& fs;  // reads the translation file
  const Translation& translation;
  std::string language;  // relabelled from its translation file unless English
};

struct EditorWait {
  EditorRun run = EditorRun::NotStarted;
  unsigned long processId = 0;  // the editor's, once started
};

// Ended: the editor ended by itself while the dialog was shown. Stopped: Stop
// killed it and it has exited; StopUnconfirmed: it had not exited within
// kEditorExitWaitMs. Abandoned: the dialog was closed; the editor runs on.
// NotStarted: "Please check if Regedit.exe exists." was shown.
EditorWait RunRegistryEditor(HWND owner, const std::string& commandLine,
                             const std::string& hintText, const BackupHintInput& input);

}  // namespace hs::win32
