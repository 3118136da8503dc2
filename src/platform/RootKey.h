#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace hs {

// The registry's root keys. Only the first five can be named in a path that is
// shown, stored or compared; the last two exist for the export file's names.
enum class RootKey {
  ClassesRoot,
  CurrentUser,
  LocalMachine,
  Users,
  CurrentConfig,
  PerformanceData,
  DynData,
};

// Maps exactly the five full hive names (any letter case) to their root key;
// every other text, abbreviations such as "HKLM" included, maps to nothing.
std::optional<RootKey> HiveNameToRootKey(std::string_view name);
std::string RootKeyToHiveName(RootKey root);

// Splits "HKEY_...\rest" into its root and the rest; nothing when the text does
// not begin with one of the five full hive names.
struct HivePath {
  RootKey root;
  std::string subPath;  // without leading backslash; empty for the hive itself
};
std::optional<HivePath> SplitHivePath(std::string_view fullPath);

}  // namespace hs
