#include "app/SharedHelpers.h"

#include "app/RegGlobal.h"
#include "platform/FileSystemBackend.h"
#include "platform/TRegistry.h"

namespace hs {

std::string TwoDigits(int n) {
  return n > 9 ? std::to_string(n) : "0" + std::to_string(n);
}

bool DeleteFileSilently(const std::string& path) {
  return ProgramFileSystem().deleteSilently(path);
}

bool WriteUserRegString(const std::string& keyPath, const std::string& name,
                        const std::string& data) {
  TRegistry registry(ProgramRegistry(), RootKey::CurrentUser);
  if (!registry.OpenPath(keyPath, true)) return false;
  return registry.WriteValueText(name, data);
}

}  // namespace hs
