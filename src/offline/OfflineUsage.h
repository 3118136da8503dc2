#pragma once
// hivesweep-offline's usage texts: the overview and one per command.
#include <string>
#include <string_view>

namespace hs::offline {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitEnvironment = 3;  // no installation there, a hive damaged beyond reading
constexpr int kExitStale = 4;        // a dirty hive read without its logs: perhaps out of date

std::string OfflineGeneralUsage();
std::string OfflineCommandUsage(std::string_view command);  // "" for no such command

}  // namespace hs::offline
