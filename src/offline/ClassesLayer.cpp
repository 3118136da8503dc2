#include "offline/ClassesLayer.h"

#include <optional>
#include <string>

#include "common/Text.h"
#include "platform/TRegistry.h"

namespace hs::offline {
namespace {

constexpr std::string_view kClassesRootName = "HKEY_CLASSES_ROOT";
constexpr const char* kUserClassesName = "HKEY_CURRENT_USER\\Software\\Classes";
constexpr const char* kMachineClassesName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";

// The path below HKEY_CLASSES_ROOT ("" for the root itself); nullopt for a
// row of another root.
std::optional<std::string> BelowClassesRoot(const std::string& keyPath) {
  if (!StartsWithNoCase(keyPath, kClassesRootName)) return std::nullopt;
  const std::string rest = keyPath.substr(kClassesRootName.size());
  if (rest.empty()) return rest;
  if (rest.front() != '\\') return std::nullopt;
  return rest.substr(1);
}

std::string JoinBelow(const std::string& parent, const std::string& name) {
  if (parent.empty()) return name;
  if (name.empty()) return parent;
  return parent + "\\" + name;
}

// The key below HKEY_CLASSES_ROOT that holds the row's item.
std::string HoldingKey(const Finding& row, const std::string& below) {
  switch (row.Kind) {
    case FindingKind::fkSubkey:
      return JoinBelow(below, row.ValueText);
    case FindingKind::fkValueInPath: {
      const std::size_t cut = below.rfind('\\');
      return cut == std::string::npos ? std::string() : below.substr(0, cut);
    }
    default:
      return below;
  }
}

bool LayerHolds(RegistryBackend& registry, RootKey root, const char* classes,
                const std::string& key) {
  return TRegistry(registry, root, RegAccess::Read).PathExists(JoinBelow(classes, key));
}

// The layer's name for the row's item, or nullptr to keep HKEY_CLASSES_ROOT.
const char* LayerOf(RegistryBackend& registry, const Finding& row, const std::string& key) {
  const bool user = LayerHolds(registry, RootKey::CurrentUser, "Software\\Classes", key);
  const bool machine = LayerHolds(registry, RootKey::LocalMachine, "SOFTWARE\\Classes", key);
  const bool wholeKey = row.Kind == FindingKind::fkKey || row.Kind == FindingKind::fkSubkey;
  if (user && (!machine || !wholeKey)) return kUserClassesName;
  if (machine && !user) return kMachineClassesName;
  return nullptr;
}

}  // namespace

std::vector<Finding> NameClassesRowsByLayer(RegistryBackend& registry, std::vector<Finding> rows) {
  for (Finding& row : rows) {
    if (row.Kind == FindingKind::fkFile) continue;
    const std::optional<std::string> below = BelowClassesRoot(row.KeyPath);
    if (!below) continue;
    if (const char* layer = LayerOf(registry, row, HoldingKey(row, *below)))
      row.KeyPath = JoinBelow(layer, *below);
  }
  return rows;
}

}  // namespace hs::offline
