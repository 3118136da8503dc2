#pragma once
// The console companion's usage texts: the overview and one per command.
#include <string>
#include <string_view>

namespace hs {

// Every command in one line each, then how to get more.
std::string GeneralUsage();

// The full usage of one command (options, exit codes); "" for a name that is
// no command.
std::string CommandUsage(std::string_view command);

}  // namespace hs
