#pragma once
// The system registry editor as a hidden process. It is always started by its
// full path in the Windows folder: the program runs elevated, and a
// "regedit.exe" planted in the current or program folder must never run.
#include <string>

#include "platform/win32/UniqueHandle.h"
#include "restore/RegistryEditor.h"

namespace hs::win32 {

// GetWindowsDirectory + "\regedit.exe"; "" when the folder is unknown.
std::wstring RegistryEditorPath();

// How long a stopped editor is waited for: until it has exited, its file
// must stay.
inline constexpr unsigned long kEditorExitWaitMs = 10000;

// One started editor process; the GUI's wait dialog polls it.
class RegistryEditorProcess {
 public:
  // Starts the editor with this command line, hidden and without standard
  // handles. False when it could not be started.
  bool Start(const std::string& commandLine);
  bool HasEnded() const;  // true also when nothing was started
  void WaitUntilEnded() const;
  // Terminates it (exit code 0) and waits for it to exit, at most
  // `waitMs`; false when it had not exited by then.
  bool Stop(unsigned long waitMs = kEditorExitWaitMs);
  unsigned long ProcessId() const { return m_processId; }

 private:
  UniqueHandle m_process;
  unsigned long m_processId = 0;
};

// Starts the editor and waits for it without a time-out.
class Win32RegistryEditor : public RegistryEditorRunner {
 public:
  EditorRun run(const std::string& commandLine) override;
};

}  // namespace hs::win32
