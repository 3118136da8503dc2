#pragma once
// The system registry editor as the engine sees it: a program started with a
// command line and waited for. The Windows side starts it by its full path
// in the Windows folder, never through the search path.
#include <string>

namespace hs {

enum class EditorRun {
  Ended,       // the editor ended by itself (its exit code says nothing)
  NotStarted,  // it could not be started
  Stopped,     // the wait was given up and the editor was stopped (it has exited)
  // The editor was told to stop but had not exited when the wait for it
  // ended; it may still be reading its file.
  StopUnconfirmed,
  Abandoned,  // the wait was given up; the editor may still be running
};

// Whether the editor may still be reading the file it was given.
inline bool EditorMayStillRun(EditorRun run) {
  return run == EditorRun::StopUnconfirmed || run == EditorRun::Abandoned;
}

class RegistryEditorRunner {
 public:
  virtual ~RegistryEditorRunner() = default;
  virtual EditorRun run(const std::string& commandLine) = 0;
};

// "Regedit /s" and the quoted file: the editor imports the file silently.
std::string ImportCommandLine(const std::string& file);

}  // namespace hs
