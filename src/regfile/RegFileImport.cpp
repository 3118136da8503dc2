#include "regfile/RegFileImport.h"

#include "platform/RootKey.h"
#include "platform/TRegistry.h"

namespace hs {

void ImportRegFile(RegistryBackend& registry, const RegFile& file) {
  for (const RegFileSection& section : file.sections) {
    const auto hivePath = SplitHivePath(section.keyPath);
    if (!hivePath) continue;  // the system's importer skips unknown roots too
    if (section.remove) {
      if (!hivePath->subPath.empty())
        TRegistry(registry, hivePath->root).RemovePath(hivePath->subPath);
      continue;
    }
    RegKeyPtr handle;
    if (registry.openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::All, true,
                         handle) != RegStatus::Ok)
      continue;
    for (const RegFileValue& entry : section.values) {
      if (entry.remove)
        registry.deleteValue(*handle, entry.value.name);
      else
        registry.setValue(*handle, entry.value);
    }
  }
}

bool ImportRegText(RegistryBackend& registry, const std::string& bytes, const CodePage& codePage,
                   RegFileError& error) {
  RegFile file;
  if (!ParseRegFile(bytes, codePage, file, error)) return false;
  ImportRegFile(registry, file);
  return true;
}

bool ImportRegText(RegistryBackend& registry, const std::string& bytes, RegFileError& error) {
  return ImportRegText(registry, bytes, Windows1252CodePage(), error);
}

}  // namespace hs
