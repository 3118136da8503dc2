// hivesweep-offline scan and backups: these need the mounted volume's file
// system; until it is wired they say so instead of guessing.
#include <cstdio>

#include "offline/OfflineUsage.h"
#include "offline/posix/OfflineCommands.h"

namespace hs::offline {

int RunScanOffline(const std::vector<std::string>&) {
  std::fprintf(stderr, "hivesweep-offline scan: not available in this build\n");
  return kExitEnvironment;
}

int RunBackupsOffline(const std::vector<std::string>&) {
  std::fprintf(stderr, "hivesweep-offline backups: not available in this build\n");
  return kExitEnvironment;
}

}  // namespace hs::offline
