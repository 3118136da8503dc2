#include "platform/RootKey.h"

#include "common/Text.h"

namespace hs {

std::optional<RootKey> HiveNameToRootKey(std::string_view name) {
  const std::string upper = UpperCase(name);
  if (upper == "HKEY_CLASSES_ROOT") return RootKey::ClassesRoot;
  if (upper == "HKEY_CURRENT_USER") return RootKey::CurrentUser;
  if (upper == "HKEY_LOCAL_MACHINE") return RootKey::LocalMachine;
  if (upper == "HKEY_USERS") return RootKey::Users;
  if (upper == "HKEY_CURRENT_CONFIG") return RootKey::CurrentConfig;
  return std::nullopt;
}

std::string RootKeyToHiveName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RootKey::Users:
      return "HKEY_USERS";
    case RootKey::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
    case RootKey::PerformanceData:
      return "HKEY_PERFORMANCE_DATA";
    case RootKey::DynData:
      return "HKEY_DYN_DATA";
  }
  return {};
}

std::optional<HivePath> SplitHivePath(std::string_view fullPath) {
  const std::size_t slash = fullPath.find('\\');
  const auto root = HiveNameToRootKey(fullPath.substr(0, slash));
  if (!root) return std::nullopt;
  HivePath result{*root, {}};
  if (slash != std::string_view::npos) result.subPath = std::string(fullPath.substr(slash + 1));
  return result;
}

}  // namespace hs
