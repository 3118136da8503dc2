// hivesweep: the GUI program. At most one copy runs per session; a second
// start wakes the running one and ends.
#include <windows.h>

#include "app/win32/ProgramRun.h"

namespace {

// How long a copy that lost a simultaneous start waits for the winner's
// window before it gives up.
constexpr DWORD kLoserWaitMilliseconds = 10000;

std::unique_ptr<hs::app::MainWindowHost> CreateMainWindow() {
  return nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return hs::app::RunSingleCopy(hs::app::ProgramInstanceNames(), kLoserWaitMilliseconds,
                                CreateMainWindow);
}
