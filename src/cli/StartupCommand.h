#pragma once
// The console's startup manager: "startup list [--json]" and
// "startup disable|enable NAME [--location LOCATION]". Switching writes the
// state the system's own startup list reads (startup/StartupApproval);
// nothing is deleted.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/RepairCommand.h"
#include "startup/StartupEntries.h"

namespace hs {

struct StartupArguments {
  std::string action;    // list, disable, enable
  std::string name;      // of the entry to switch
  std::string location;  // --location: of that entry, as listed
  bool json = false;     // list --json
};

// Nothing, with `error` saying why, for arguments that are no startup command.
std::optional<StartupArguments> ParseStartupArguments(const std::vector<std::string>& args,
                                                      std::string& error);

// Exit 0 done (an entry already in the asked state included), 2 a NAME that
// names no entry or more than one (LOCATION, as listed, picks one) or an
// entry the system does not switch, 3 the state could not be written.
CommandOutput RunStartupCommand(const StartupArguments& args, RegistryBackend& registry,
                                FileSystemBackend& fs, const StartupListOptions& options,
                                const std::function<std::uint64_t()>& fileTimeNow);

}  // namespace hs
