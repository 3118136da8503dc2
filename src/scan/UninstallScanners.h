#pragma once
// Scanners that judge keys by what they hold: uninstall entries that give no
// way to uninstall (task 11) and file-type keys that hold nothing (task 12).
#include <string>

#include "platform/RootKey.h"

namespace hs {

class ScanContext;
class RegistryBackend;

// 0 when the key holds nothing: no value on it or along the chain of single
// subkeys below it, and no level of that chain with two or more subkeys.
// Otherwise a positive number. A key that does not exist is empty; a key that
// exists but cannot be read counts as holding something (it cannot be judged).
int CountEntries(RegistryBackend& registry, RootKey root, const std::string& path);

void ScanAddRemovePrograms(ScanContext& context);
void ScanFileExtensions(ScanContext& context);

}  // namespace hs
