#include "restore/RestoreVerify.h"

#include <map>

#include "common/Text.h"

namespace hs {
namespace {

struct ExpectedKey {
  std::string path;  // as written in the file
  bool present = true;
  // By upper-cased name, last one wins; pointing into the parsed file, which
  // outlives the check, so the data is not held twice.
  std::map<std::string, const RegFileValue*> values;
};

using ExpectedState = std::map<std::string, ExpectedKey>;  // by upper-cased path

bool IsAtOrBelow(const std::string& upperPath, const std::string& upperParent) {
  return upperPath == upperParent ||
         (upperPath.size() > upperParent.size() && upperPath.compare(0, upperParent.size(), upperParent) == 0 &&
          upperPath[upperParent.size()] == '\\');
}

std::string Normalized(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

ExpectedState ExpectedFrom(const RegFile& file) {
  ExpectedState state;
  for (const RegFileSection& section : file.sections) {
    const std::string path = Normalized(section.keyPath);
    const std::string upper = UpperCase(path);
    if (section.remove) {
      for (auto& [key, expected] : state)
        if (IsAtOrBelow(key, upper)) {
          expected.present = false;
          expected.values.clear();
        }
      state[upper] = ExpectedKey{path, false, {}};
      continue;
    }
    ExpectedKey& key = state[upper];
    key.path = path;
    key.present = true;
    for (const RegFileValue& entry : section.values)
      key.values[UpperCase(entry.value.name)] = &entry;
  }
  return state;
}

std::string ValueItem(const std::string& keyPath, const std::string& name) {
  return keyPath + (name.empty() ? " (default value)" : " value \"" + name + "\"");
}

void CheckValues(RegistryBackend& registry, const RegKeyHandle& key, const ExpectedKey& expected,
                 std::vector<RestoreDifference>& out) {
  for (const auto& [upper, pointer] : expected.values) {
    const RegFileValue& entry = *pointer;
    RegValue actual;
    const bool found = registry.queryValue(key, entry.value.name, actual) == RegStatus::Ok;
    const std::string item = ValueItem(expected.path, entry.value.name);
    if (entry.remove) {
      if (found) out.push_back({item, "is still there although the file deletes it"});
    } else if (!found) {
      out.push_back({item, "is missing"});
    } else if (actual.type != entry.value.type) {
      out.push_back({item, "has type " + std::to_string(actual.type) + " instead of " +
                               std::to_string(entry.value.type)});
    } else if (actual.data != entry.value.data) {
      out.push_back({item, "holds other data than the file"});
    }
  }
}

}  // namespace

std::vector<RestoreDifference> VerifyRestored(RegistryBackend& registry, const RegFile& file) {
  std::vector<RestoreDifference> differences;
  for (const auto& [upper, expected] : ExpectedFrom(file)) {
    const auto hivePath = SplitHivePath(expected.path);
    if (!hivePath) {
      differences.push_back({expected.path, "names no hive that can be checked"});
      continue;
    }
    RegKeyPtr key;
    const RegStatus status =
        registry.openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::Read, false, key);
    if (!expected.present) {
      if (status != RegStatus::NotFound)
        differences.push_back({expected.path, "is still there although the file deletes it"});
      continue;
    }
    if (status == RegStatus::NotFound) {
      differences.push_back({expected.path, "is missing"});
    } else if (status != RegStatus::Ok) {
      differences.push_back({expected.path, "cannot be read"});
    } else {
      CheckValues(registry, *key, expected, differences);
    }
  }
  return differences;
}

}  // namespace hs
