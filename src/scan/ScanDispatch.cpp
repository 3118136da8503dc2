#include "scan/ScanDispatch.h"

#include "scan/ComScanners.h"
#include "scan/FileReferenceScanners.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/MruScanners.h"
#include "scan/StartMenuScanners.h"
#include "scan/SystemScanners.h"
#include "scan/UninstallScanners.h"

namespace hs {
namespace {

struct DispatchEntry {
  int task;
  ScannerEntry scanner;
};

// Tasks 1 and 2 (the root and the group node) run no scanner.
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
    {13, ScanCustomControls},
    {14, ScanObsoleteSoftware},
    {15, ScanWindowsServices},
    {16, ScanStartMenu},
    {17, ScanShortcuts},
    {18, ScanSoundEvents},
    {19, ScanInvalidActiveX},
    {20, ScanMruLists},
    {21, ScanInstaller},
    {22, ScanApplications},
    {23, ScanEmptyKeys},  // no tree node
};

}  // namespace

ScannerEntry ScannerForTask(int task) {
  for (const DispatchEntry& entry : kDispatch)
    if (entry.task == task) return entry.scanner;
  return nullptr;
}

}  // namespace hs
