#pragma once
// The yardstick of scan speed: every key of a subtree opened and every value
// read, nothing checked.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RootKey.h"

namespace hs {

class RegistryBackend;

struct EnumerationCount {
  std::uint64_t keys = 0;
  std::uint64_t values = 0;
  std::uint64_t stringValues = 0;
};

// `skippedChildren`: names of direct subkeys of `path` left out with their
// subtrees (any case), as the scan leaves them out.
void BareEnumerate(RegistryBackend& registry, RootKey root, const std::string& path,
                   EnumerationCount& count, const std::vector<std::string>& skippedChildren = {});

}  // namespace hs
