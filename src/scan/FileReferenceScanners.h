#pragma once
// Scanners of fixed registry locations whose values name files: application
// paths (task 6), fonts (7), help files (8), shared libraries (9) and
// programs started at logon (10).
#include <string>

namespace hs {

class ScanContext;

void ScanSoftwareLocations(ScanContext& context);
void ScanWindowsFonts(ScanContext& context);
void ScanHelpFiles(ScanContext& context);
void ScanSharedDlls(ScanContext& context);
void ScanStartupPrograms(ScanContext& context);

// One Run key of task 10; an unknown hive name does nothing.
void ScanRunKey(ScanContext& context, const std::string& hiveName, const std::string& runKeyPath,
                const std::string& problem);

// The font key for a Windows version code: the 9x key for 1, 3, 8 and any
// code outside 0, 5-7 and 9-12, else the NT key.
std::string FontsKeyFor(int windowsVersionCode);

}  // namespace hs
