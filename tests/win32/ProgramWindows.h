#pragma once
// Every window of the program, made as the program makes it and shown in a
// given language, handed one by one to a test: the main window, then each
// dialog (cancelled once it has been looked at).
#include <functional>
#include <string>

#include "widgets/win32/ComponentRegistry.h"

namespace hs::test {

using WindowVisit = std::function<void(const ui::ComponentRegistry&)>;

// `language`'s file is read from `programFolder`; English shows the texts
// the windows are made with. A window that could not be made is a failure.
void VisitProgramWindows(const std::string& programFolder, const std::string& language,
                         const WindowVisit& visit);

}  // namespace hs::test
