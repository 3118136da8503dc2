#pragma once
// At most one running copy per session. A start first looks for the running
// copy's main window by its class name and hands over to it. Two copies
// started at the same moment could both miss each other's window, so a named
// mutex decides: the copy that creates it runs; the other waits briefly for
// the winner's window to appear, wakes it and ends.
#include <windows.h>

#include <string>

#include "mainwindow/win32/MainWindowIdentity.h"
#include "platform/win32/UniqueHandle.h"

namespace hs::app {

struct InstanceNames {
  std::wstring mainWindowClass;
  std::wstring mutexName;  // "Local\..." names are per session
};
InstanceNames ProgramInstanceNames();

// What the start-up check decided. A running claim owns the mutex (when
// there is one) and releases it when it ends, on the thread that claimed it.
class InstanceClaim {
 public:
  static InstanceClaim HandedOver() { return InstanceClaim(false, win32::UniqueHandle()); }
  static InstanceClaim Running(win32::UniqueHandle ownedMutex) {
    return InstanceClaim(true, std::move(ownedMutex));
  }
  InstanceClaim(InstanceClaim&&) = default;
  InstanceClaim& operator=(InstanceClaim&&) = delete;
  ~InstanceClaim() {
    if (m_mutex) ::ReleaseMutex(m_mutex.get());
  }
  // True: this copy runs. False: it handed over (or gave up waiting) and
  // must end without creating a window.
  bool runs() const { return m_runs; }

 private:
  InstanceClaim(bool runs, win32::UniqueHandle mutex) : m_runs(runs), m_mutex(std::move(mutex)) {}
  bool m_runs;
  win32::UniqueHandle m_mutex;
};

// The start-up check. The loser of a simultaneous start waits up to
// `waitMilliseconds` for the winner's window; if the winner ends meanwhile
// (its mutex comes free), the loser runs after all.
InstanceClaim ClaimSingleInstance(const InstanceNames& names, DWORD waitMilliseconds);

// Wakes the running copy: WM_SHOW_MAIN, then to the front. A failure is not
// reported; the caller ends either way.
void HandOverTo(HWND runningMainWindow);

}  // namespace hs::app
