#include "restore/RestoreVerify.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>

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
  return upperPath == upperParent || (upperPath.size() > upperParent.size() &&
                                      upperPath.compare(0, upperParent.size(), upperParent) == 0 &&
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

// A value's place among all values of the file, counted in file order.
using ValueNumber = std::uint64_t;

// 128 bits of a value's upper-cased key path and name: two values of the same
// key and name (later wins on import) share it, and two others colliding is
// out of reach.
struct ValueIdentity {
  std::uint64_t first = 0, second = 0;
  ValueNumber number = 0;
};

std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash) {
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return hash;
}

ValueIdentity IdentityOf(const std::string& upperPath, const std::string& upperName,
                         ValueNumber number) {
  const std::string joined = upperPath + '\0' + upperName;
  return {Fnv1a(joined, 0xCBF29CE484222325ull),
          Fnv1a(joined, 0x84222325CBF29CE4ull) * 31 + joined.size(), number};
}

// Numbers of the values that win on import (the last of each key and name),
// ascending. False when the file deletes something or does not parse.
bool WinningValues(const std::string& bytes, const CodePage& codePage,
                   std::vector<ValueNumber>& winners, RegFileError& error) {
  std::vector<ValueIdentity> identities;
  ValueNumber number = 0;
  bool deletes = false;
  const bool parsed = ParseRegFileSections(
      bytes, codePage,
      [&](RegFileSection&& section) {
        deletes = deletes || section.remove;
        const std::string upperPath = UpperCase(Normalized(section.keyPath));
        for (const RegFileValue& entry : section.values) {
          deletes = deletes || entry.remove;
          identities.push_back(IdentityOf(upperPath, UpperCase(entry.value.name), number++));
        }
      },
      error);
  if (!parsed) return false;
  if (deletes) {
    error = {0, "the file deletes keys or values"};
    return false;
  }
  std::sort(identities.begin(), identities.end(),
            [](const ValueIdentity& a, const ValueIdentity& b) {
              return std::tie(a.first, a.second, a.number) < std::tie(b.first, b.second, b.number);
            });
  winners.clear();
  for (std::size_t i = 0; i < identities.size(); ++i) {
    const bool lastOfItsName = i + 1 == identities.size() ||
                               identities[i + 1].first != identities[i].first ||
                               identities[i + 1].second != identities[i].second;
    if (lastOfItsName) winners.push_back(identities[i].number);
  }
  std::sort(winners.begin(), winners.end());
  return true;
}

void CheckSection(RegistryBackend& registry, const RegFileSection& section,
                  const std::vector<ValueNumber>& winners, std::size_t& nextWinner,
                  ValueNumber& number, std::set<std::string>& missingKeys,
                  std::vector<RestoreDifference>& out) {
  const ValueNumber first = number;
  number += section.values.size();
  const std::string path = Normalized(section.keyPath);
  const auto hivePath = SplitHivePath(path);
  RegKeyPtr key;
  RegStatus status = RegStatus::Failed;
  if (hivePath)
    status =
        registry.openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::Read, false, key);
  if (status != RegStatus::Ok) {
    if (missingKeys.insert(UpperCase(path)).second)
      out.push_back({path, !hivePath                       ? "names no hive that can be checked"
                           : status == RegStatus::NotFound ? "is missing"
                                                           : "cannot be read"});
    while (nextWinner < winners.size() && winners[nextWinner] < number) ++nextWinner;
    return;
  }
  ExpectedKey expected{path, true, {}};
  for (std::size_t i = 0; i < section.values.size(); ++i) {
    if (nextWinner == winners.size() || winners[nextWinner] != first + i) continue;
    ++nextWinner;
    const RegFileValue& entry = section.values[i];
    expected.values[entry.value.name] = &entry;
  }
  CheckValues(registry, *key, expected, out);
}

}  // namespace

bool VerifyRestoredFile(RegistryBackend& registry, const std::string& bytes,
                        const CodePage& codePage, std::vector<RestoreDifference>& out,
                        RegFileError& error) {
  out.clear();
  std::vector<ValueNumber> winners;
  if (!WinningValues(bytes, codePage, winners, error)) return false;
  std::size_t nextWinner = 0;
  ValueNumber number = 0;
  std::set<std::string> missingKeys;
  return ParseRegFileSections(
      bytes, codePage,
      [&](RegFileSection&& section) {
        CheckSection(registry, section, winners, nextWinner, number, missingKeys, out);
      },
      error);
}

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
