#pragma once
// COM registrations under HKEY_CLASSES_ROOT: class keys whose default value
// names a missing file, interfaces pointing to unregistered type libraries
// (task 13), type-library files and classes pointing to unregistered
// application identifiers (task 19).
#include <string>

namespace hs {

class ScanContext;

void ScanCustomControls(ScanContext& context);  // task 13
void ScanInvalidActiveX(ScanContext& context);  // task 19

// Walks prefix + name and every key below it, reporting each key whose
// default value names a missing file (folders do not count as found).
void ScanDefaultValueTree(ScanContext& context, const std::string& hiveName,
                          const std::string& prefix, const std::string& name);
void CheckInterfaceTypeLibs(ScanContext& context);
void CheckClassAppIds(ScanContext& context);

// Whether the scan's task list holds task 3, whose walk of HKEY_LOCAL_MACHINE
// already covers the file references tasks 13 and 19 would test.
bool TaskListHasFilesAndFolders(const ScanContext& context);

}  // namespace hs
