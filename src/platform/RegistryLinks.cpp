#include "platform/RegistryLinks.h"

#include <algorithm>

#include "common/Text.h"

namespace hs {

bool IsLinkValue(const RegValue& value) {
  return value.type == kRegLink && EqualsNoCase(value.name, kLinkValueName);
}

bool HoldsLinkValue(const std::vector<RegValue>& values) {
  return std::any_of(values.begin(), values.end(), IsLinkValue);
}

bool IsLinkKey(RegistryBackend& registry, const RegKeyHandle& key) {
  RegValue value;
  return registry.queryValue(key, kLinkValueName, value) == RegStatus::Ok && IsLinkValue(value);
}

}  // namespace hs
