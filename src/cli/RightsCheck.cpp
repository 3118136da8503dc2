#include "cli/RightsCheck.h"

#include <string>

#include "cli/ExitCodes.h"

namespace hs {

std::optional<CommandOutput> RefuseWithoutRights(std::string_view command,
                                                 const RightsCheck& holdsRights) {
  if (holdsRights && holdsRights()) return std::nullopt;
  CommandOutput refusal;
  refusal.exitCode = kExitNeedsAdministrator;
  refusal.err = "hivesweep-cli " + std::string(command) +
                ": changing the registry needs administrator rights, which this prompt does not "
                "have; nothing was changed: run from an elevated prompt (\"Run as "
                "administrator\").\n";
  return refusal;
}

}  // namespace hs
