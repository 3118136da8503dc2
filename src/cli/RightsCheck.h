#pragma once
// repair and restore change the machine's registry. They ask first whether
// this process holds the rights to, and without them stop before they read
// or touch anything. The question is a function the caller gives: the
// console the system's answer (platform/win32/AdministratorRights), tests
// their own.
#include <functional>
#include <optional>
#include <string_view>

#include "cli/RepairCommand.h"

namespace hs {

// True when the process may change the whole machine's registry.
using RightsCheck = std::function<bool()>;

// Nothing when `holdsRights` answers yes. Otherwise the refusal of
// `command`: kExitNeedsAdministrator, and on standard error why, that
// nothing was changed and "run from an elevated prompt". A missing check
// answers no.
std::optional<CommandOutput> RefuseWithoutRights(std::string_view command,
                                                 const RightsCheck& holdsRights);

}  // namespace hs
