#pragma once
// The GUI program's context built from the running system.
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "ui/AppContext.h"

namespace hs::app {

// The machine's backends, owned by the program entry for the life of the
// program.
struct Win32Machine {
  win32::Win32FileSystem fs;
  win32::Win32Registry registry;
};

// The program's folder, the default settings for it, the system's facts and
// the command line (CommandLineToArgvW, without the program's path).
ui::AppContext BuildGuiContext(Win32Machine& machine);

}  // namespace hs::app
