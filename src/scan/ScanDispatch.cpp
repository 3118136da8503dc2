#include "scan/ScanDispatch.h"

#include "scan/FileReferenceScanners.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/UninstallScanners.h"

namespace hs {
namespace {

struct DispatchEntry {
  int task;
  ScannerEntry scanner;
};

// Tasks 1 and 2 (the root and the group node) run no scanner. A task whose
// scanner is not built yet has a null entry.
constexpr DispatchEntry kDispatch[] = {
    {3, ScanFilesAndFoldersLocalMachine},
    {4, ScanFilesAndFoldersCurrentUser},
    {5, ScanFilesAndFoldersUsers},
    {6, ScanSoftwareLocations},
    {7, ScanWindowsFonts},
    {8, ScanHelpFiles},
    {9, ScanSharedDlls},
    {10, ScanStartupPrograms},
    {11, ScanAddRemovePrograms},
    {12, ScanFileExtensions},
    {13, nullptr},  // Custom Controls
    {14, nullptr},  // Obsolete Software
    {15, nullptr},  // Windows Services
    {16, nullptr},  // Start Menu
    {17, nullptr},  // Shortcuts
    {18, nullptr},  // Sound and Appevents
    {19, nullptr},  // Invalid ActiveX
    {20, nullptr},  // MRU and History Lists
    {21, nullptr},  // Installer
    {22, nullptr},  // Applications
    {23, nullptr},  // empty registry keys (no tree node)
};

}  // namespace

ScannerEntry ScannerForTask(int task) {
  for (const DispatchEntry& entry : kDispatch)
    if (entry.task == task) return entry.scanner;
  return nullptr;
}

}  // namespace hs
