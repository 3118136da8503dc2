// hivesweep: the GUI program. At most one copy runs per session; a second
// start wakes the running one and ends.
#include <windows.h>

#include <optional>

#include "app/win32/GuiContext.h"
#include "app/win32/ProgramRun.h"

namespace {

// How long a copy that lost a simultaneous start waits for the winner's
// window before it gives up.
constexpr DWORD kLoserWaitMilliseconds = 10000;

// The main window over the program's context, shown with `showCommand`.
std::unique_ptr<hs::app::MainWindowHost> CreateMainWindow(hs::ui::AppContext&, int) {
  return nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Built only by the copy that runs, after the single-instance check.
  std::optional<hs::app::Win32Machine> machine;
  std::optional<hs::ui::AppContext> context;
  return hs::app::RunSingleCopy(hs::app::ProgramInstanceNames(), kLoserWaitMilliseconds, [&] {
    machine.emplace();
    context.emplace(hs::app::BuildGuiContext(*machine));
    return CreateMainWindow(*context, showCommand);
  });
}
