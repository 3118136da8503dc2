#pragma once
// The GUI program's main window as the program's run holds it.
#include <memory>

#include "app/win32/ProgramRun.h"
#include "ui/AppContext.h"

namespace hs::app {

// The main window over `context`, created and shown with `showCommand`; null
// when the system refused it.
std::unique_ptr<MainWindowHost> CreateKeyscourWindow(ui::AppContext& context, int showCommand);

}  // namespace hs::app
