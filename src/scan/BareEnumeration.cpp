#include "scan/BareEnumeration.h"

#include <vector>

#include "common/Text.h"
#include "platform/RegistryBackend.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"

namespace hs {
namespace {

bool IsSkipped(const std::string& name, const std::vector<std::string>* skipped) {
  if (!skipped) return false;
  for (const std::string& entry : *skipped)
    if (EqualsNoCase(name, entry)) return true;
  return false;
}

// `skipped` applies to the direct subkeys of this key only.
void EnumerateKey(RegistryBackend& registry, RootKey root, const RegKeyHandle* parent,
                  const std::string& name, int depth, EnumerationCount& count,
                  std::vector<RegValue>& values, const std::vector<std::string>* skipped) {
  RegKeyPtr key;
  if (depth > kMaxKeyDepth || registry.openKey(root, parent, name, RegAccess::Read, false, key,
                                               WalkLinkRule(depth)) != RegStatus::Ok)
    return;
  ++count.keys;
  if (registry.values(*key, values) == RegStatus::Ok) {
    count.values += values.size();
    for (const RegValue& value : values)
      if (value.type == kRegSz || value.type == kRegExpandSz) {
        ++count.stringValues;
        // Decoded like the scan decodes it, so both pay the same for reading.
        if (RegDataToText(value.data).empty()) continue;
      }
  }
  std::vector<std::string> subkeys;
  if (registry.subkeyNames(*key, subkeys) != RegStatus::Ok) return;
  for (const std::string& subkey : subkeys)
    if (!subkey.empty() && !IsSkipped(subkey, skipped))
      EnumerateKey(registry, root, key.get(), subkey, depth + 1, count, values, nullptr);
}

}  // namespace

void BareEnumerate(RegistryBackend& registry, RootKey root, const std::string& path,
                   EnumerationCount& count, const std::vector<std::string>& skippedChildren) {
  std::vector<RegValue> values;
  EnumerateKey(registry, root, nullptr, path, 0, count, values, &skippedChildren);
}

}  // namespace hs
