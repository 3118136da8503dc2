#pragma once
// The life of one copy of the GUI program: the single-instance check, the
// GUI's set-up, the main window and the message loop.
#include <windows.h>

#include <functional>
#include <memory>

#include "app/win32/SingleInstance.h"

namespace hs::app {

// What the program's run needs of its main window.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // The window, shown; it calls PostQuitMessage when it is destroyed.
  virtual HWND hwnd() const = 0;
  // Its keyboard shortcuts; null for none.
  virtual HACCEL accelerators() const = 0;
};

using MainWindowFactory = std::function<std::unique_ptr<MainWindowHost>()>;

// Dispatches messages until WM_QUIT and returns its exit code. The main
// window's shortcuts are tried first, then its dialog keys (Tab and the
// arrows between controls); modal dialogs run loops of their own.
int RunMessageLoop(const MainWindowHost& main);

// Runs one copy: returns 0 at once when another copy runs (after waking it),
// otherwise sets up common controls and COM for this thread, creates the
// main window (which reads the settings: a copy that hands over never does)
// and runs the loop. 1 when the main window could not be made.
int RunSingleCopy(const InstanceNames& names, DWORD loserWaitMilliseconds,
                  const MainWindowFactory& createMainWindow);

}  // namespace hs::app
