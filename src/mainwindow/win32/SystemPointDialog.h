#pragma once
// TfrmSystemPoint ("Create System Point"): asks System Restore for a restore
// point on a worker thread while a progress bar creeps, and decides whether
// the repair goes on.
//
// The worker reports by posting WM_CREATE_POINT_DONE to the dialog; the
// verdict itself travels through state the two threads share by shared_ptr,
// so a dialog closed while the worker runs is never waited for and never
// kills the thread: the worker finishes on its own and its late answer is
// dropped (a point it opened then is cancelled at once).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "mainwindow/win32/SystemRestoreCalls.h"
#include "mainwindow/win32/WindowQuestions.h"
#include "platform/FileSystemBackend.h"
#include "restore/RestorePointOutcome.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

inline constexpr UINT WM_CREATE_POINT_DONE = 0x2412;  // lParam 0 created, 1 failed
inline constexpr int kSystemPointProgress = 1106;

struct SystemPointInput {
  FileSystemBackend& fs;  // reads the translation file
  const Translation& translation;
  std::string language;
  std::optional<std::int64_t> earlierSequence;  // the last point this window made
  WindowQuestions questions = WindowQuestions::System();
  // The request to System Restore, made on the worker thread.
  RestorePointRequest request = RequestRestorePoint;
  // Cancels a point that the worker opened after the dialog had gone, so no
  // point is left open that nobody will close.
  RestorePointCloser close = CloseRestorePoint;
};

struct SystemPointOutput {
  bool goOn = false;  // OK: the repair goes on
  // The system made a new restore point; the caller closes it, also when the
  // repair does not go on.
  bool created = false;
  std::string reason;               // why not, when it did not
  std::int64_t sequenceNumber = 0;  // the point to close after the repair, when created
};

SystemPointOutput SystemPointDialog(HWND owner, const SystemPointInput& input);

}  // namespace hs::win32
