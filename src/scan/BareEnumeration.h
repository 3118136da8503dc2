#pragma once
// The yardstick of scan speed: every key of a subtree opened and every value
// read, nothing checked.
#include <cstdint>
#include <string>

#include "platform/RootKey.h"

namespace hs {

class RegistryBackend;

struct EnumerationCount {
  std::uint64_t keys = 0;
  std::uint64_t values = 0;
  std::uint64_t stringValues = 0;
};

void BareEnumerate(RegistryBackend& registry, RootKey root, const std::string& path,
                   EnumerationCount& count);

}  // namespace hs
