#pragma once
// HKEY_CLASSES_ROOT rows named by the layer that holds their key. A backup
// section "[HKEY_CLASSES_ROOT\CLSID\{...}]" does not say whether the key was
// the machine's (SOFTWARE\Classes) or the user's (UsrClass.dat); the
// registry editor puts a new key where its parent is the user's, so a
// machine's class restored on a machine whose user has a CLSID key of their
// own would become that user's alone. Offline both layers can be looked at,
// so the repair names the layer and its backup puts each key back where it
// was.
#include <vector>

#include "platform/RegistryBackend.h"
#include "scan/Finding.h"

namespace hs::offline {

// Each row under HKEY_CLASSES_ROOT, renamed under the user's classes
// (HKEY_CURRENT_USER\Software\Classes) or the machine's
// (HKEY_LOCAL_MACHINE\SOFTWARE\Classes): a key (with its subtree) by the one
// layer that holds it, a value by the layer whose key the merged view
// reads it from (the user's first). A key both layers hold stays as it is:
// no one name gives it back as it was. Other rows are returned unchanged.
std::vector<Finding> NameClassesRowsByLayer(RegistryBackend& registry, std::vector<Finding> rows);

}  // namespace hs::offline
