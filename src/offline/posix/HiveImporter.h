#pragma once
// The registry editor of the offline restore: what "Regedit /s FILE" does on
// the machine, done to the installation's hives in memory. The file is the
// restore's private copy on this machine; its keys go where the layout
// mounts them. Items the hives refuse are kept in the registry's refusals
// and then missed by the restore's check, as an import the editor could not
// finish would be.
#include "common/CodePage.h"
#include "offline/posix/OfflineRegistry.h"
#include "restore/RegistryEditor.h"

namespace hs::offline {

class HiveImporter final : public RegistryEditorRunner {
 public:
  HiveImporter(OfflineRegistry& registry, const CodePage& codePage)
      : registry_(registry), codePage_(codePage) {}
  // NotStarted when the command line names no readable file.
  EditorRun run(const std::string& commandLine) override;

 private:
  OfflineRegistry& registry_;
  const CodePage& codePage_;
};

}  // namespace hs::offline
