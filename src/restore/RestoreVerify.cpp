#include "restore/RestoreVerify.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <tuple>

#include "common/Text.h"

namespace hs {
namespace {

std::string Normalized(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string ValueItem(const std::string& keyPath, const std::string& name) {
  return keyPath + (name.empty() ? " (default value)" : " value \"" + name + "\"");
}

void CheckValue(RegistryBackend& registry, const RegKeyHandle& key, const std::string& keyPath,
                const RegValue& expected, std::vector<RestoreDifference>& out) {
  RegValue actual;
  const bool found = registry.queryValue(key, expected.name, actual) == RegStatus::Ok;
  const std::string item = ValueItem(keyPath, expected.name);
  if (!found) {
    out.push_back({item, "is missing"});
  } else if (actual.type != expected.type) {
    out.push_back({item, "has type " + std::to_string(actual.type) + " instead of " +
                             std::to_string(expected.type)});
  } else if (actual.data != expected.data) {
    out.push_back({item, "holds other data than the file"});
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

// Hands each section of the file to a visitor; false when the file is malformed.
using SectionVisitor = std::function<void(const RegFileSection&)>;
using SectionSource = std::function<bool(const SectionVisitor&)>;

enum class SectionsRead { Ok, Malformed, Deletes };

// Numbers of the values that win on import (the last of each key and name),
// ascending.
SectionsRead WinningValues(const SectionSource& readSections, std::vector<ValueNumber>& winners) {
  std::vector<ValueIdentity> identities;
  ValueNumber number = 0;
  bool deletes = false;
  const bool parsed = readSections([&](const RegFileSection& section) {
    deletes = deletes || section.remove;
    const std::string upperPath = UpperCase(Normalized(section.keyPath));
    for (const RegFileValue& entry : section.values) {
      deletes = deletes || entry.remove;
      identities.push_back(IdentityOf(upperPath, UpperCase(entry.value.name), number++));
    }
  });
  if (!parsed) return SectionsRead::Malformed;
  if (deletes) return SectionsRead::Deletes;
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
  return SectionsRead::Ok;
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
  for (std::size_t i = 0; i < section.values.size(); ++i) {
    if (nextWinner == winners.size() || winners[nextWinner] != first + i) continue;
    ++nextWinner;
    CheckValue(registry, *key, path, section.values[i].value, out);
  }
}

// Two passes over the sections: which value of each name wins, then the
// check of the keys and of those values.
SectionsRead Verify(RegistryBackend& registry, const SectionSource& readSections,
                    std::vector<RestoreDifference>& out) {
  out.clear();
  std::vector<ValueNumber> winners;
  if (const SectionsRead read = WinningValues(readSections, winners); read != SectionsRead::Ok)
    return read;
  std::size_t nextWinner = 0;
  ValueNumber number = 0;
  std::set<std::string> missingKeys;
  const bool parsed = readSections([&](const RegFileSection& section) {
    CheckSection(registry, section, winners, nextWinner, number, missingKeys, out);
  });
  return parsed ? SectionsRead::Ok : SectionsRead::Malformed;
}

}  // namespace

bool VerifyRestoredFile(RegistryBackend& registry, const std::string& bytes,
                        const CodePage& codePage, std::vector<RestoreDifference>& out,
                        RegFileError& error) {
  const SectionSource readFile = [&](const SectionVisitor& visit) {
    return ParseRegFileSections(
        bytes, codePage, [&visit](RegFileSection&& section) { visit(section); }, error);
  };
  const SectionsRead read = Verify(registry, readFile, out);
  if (read == SectionsRead::Deletes) error = {0, "the file deletes keys or values"};
  return read == SectionsRead::Ok;
}

std::vector<RestoreDifference> VerifyRestored(RegistryBackend& registry, const RegFile& file) {
  const SectionSource readParsed = [&file](const SectionVisitor& visit) {
    for (const RegFileSection& section : file.sections) visit(section);
    return true;
  };
  std::vector<RestoreDifference> differences;
  if (Verify(registry, readParsed, differences) == SectionsRead::Deletes)
    differences = {{"the file", "deletes keys or values, which a restore never imports"}};
  return differences;
}

}  // namespace hs
