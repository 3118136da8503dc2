#include "platform/SharedHelpers.h"

#include "platform/FileSystemBackend.h"
#include "platform/TRegistry.h"

namespace hs {

bool DeleteFileSilently(FileSystemBackend& fs, const std::string& path) {
  return fs.deleteSilently(path);
}

bool WriteUserRegString(RegistryBackend& registry, const std::string& keyPath,
                        const std::string& name, const std::string& data) {
  TRegistry key(registry, RootKey::CurrentUser);
  if (!key.OpenPath(keyPath, true)) return false;
  return key.WriteValueText(name, data);
}

}  // namespace hs
