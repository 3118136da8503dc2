#include "app/win32/SingleInstance.h"

namespace hs::app {

namespace {

constexpr DWORD kPollMilliseconds = 50;

HWND FindRunningCopy(const InstanceNames& names) {
  return ::FindWindowW(names.mainWindowClass.c_str(), nullptr);
}

bool HandOverIfRunning(const InstanceNames& names) {
  const HWND running = FindRunningCopy(names);
  if (running) HandOverTo(running);
  return running != nullptr;
}

}  // namespace

InstanceNames ProgramInstanceNames() {
  return {mainwindow::kMainWindowClassName, L"Local\\Corvane Hivesweep single instance"};
}

void HandOverTo(HWND runningMainWindow) {
  // Both parameters 0: a wake-up, nothing more.
  ::PostMessageW(runningMainWindow, mainwindow::WM_SHOW_MAIN, 0, 0);
  ::SetForegroundWindow(runningMainWindow);
}

InstanceClaim ClaimSingleInstance(const InstanceNames& names, DWORD waitMilliseconds) {
  if (HandOverIfRunning(names)) return InstanceClaim::HandedOver();
  win32::UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, names.mutexName.c_str()));
  const DWORD createError = ::GetLastError();
  // Without a mutex (a name taken by another kind of object, no rights) the
  // window check above is all there is, as it was before the mutex.
  if (!mutex) return InstanceClaim::Running(win32::UniqueHandle());
  if (createError != ERROR_ALREADY_EXISTS) return InstanceClaim::Running(std::move(mutex));
  for (DWORD waited = 0; waited < waitMilliseconds; waited += kPollMilliseconds) {
    if (HandOverIfRunning(names)) return InstanceClaim::HandedOver();
    const DWORD wait = ::WaitForSingleObject(mutex.get(), kPollMilliseconds);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      // The other copy ended (or had not yet opened its window and is gone):
      // one more look, then this copy runs.
      if (HandOverIfRunning(names)) {
        ::ReleaseMutex(mutex.get());
        return InstanceClaim::HandedOver();
      }
      return InstanceClaim::Running(std::move(mutex));
    }
  }
  return InstanceClaim::HandedOver();
}

}  // namespace hs::app
