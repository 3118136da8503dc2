#pragma once
// Progress of the console's long commands on standard error. It is shown
// only when standard error is a console (a file or pipe gets no progress
// lines) and the user did not ask for quiet; it is written as UTF-16 so that
// translated captions look right whatever the console's code page.
#include <string>

#include "cli/ScanProgress.h"

namespace hs::cli {

// The scan's progress writer, or none under those conditions.
ScanProgress::Writer ConsoleProgressWriter(bool quiet);

// One line of progress ("Repairing 12 rows..."), under the same conditions.
void ShowProgressLine(const std::string& utf8, bool quiet);

}  // namespace hs::cli
