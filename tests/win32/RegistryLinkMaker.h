#pragma once
// Real registry links for the tests under Wine (the program itself never
// makes one).
#include <string>

#include "platform/RootKey.h"

namespace hs::test {

// The kernel's name of a key ("\REGISTRY\USER\<sid>\Software\X"), as a link's
// target is written; "" for a root without one.
std::string KernelKeyPath(RootKey root, const std::string& path);

// Creates `linkPath` below root as a link to `kernelTarget`. False when it
// exists already or the system refused.
bool MakeRegistryLink(RootKey root, const std::string& linkPath, const std::string& kernelTarget);

}  // namespace hs::test
