#include "app/win32/ProgramRun.h"

#include <commctrl.h>

namespace hs::app {

namespace {

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES |
                  ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                  ICC_LINK_CLASS;
  ::InitCommonControlsEx(&classes);
}

}  // namespace

int RunMessageLoop(const MainWindowHost& main) {
  MSG message;
  for (;;) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    const HWND window = main.hwnd();
    if (window && main.accelerators() &&
        ::TranslateAcceleratorW(window, main.accelerators(), &message))
      continue;
    if (window && ::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int RunSingleCopy(const InstanceNames& names, DWORD loserWaitMilliseconds,
                  const MainWindowFactory& createMainWindow) {
  const InstanceClaim claim = ClaimSingleInstance(names, loserWaitMilliseconds);
  if (!claim.runs()) return 0;
  InitCommonControlClasses();
  const win32::ComScope com;
  const std::unique_ptr<MainWindowHost> main = createMainWindow();
  if (!main || !main->hwnd()) return 1;
  return RunMessageLoop(*main);
}

}  // namespace hs::app
