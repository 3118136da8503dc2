#pragma once
// The console companion's exit codes and the one table of what each means:
// the usage texts print it, README.md and docs/guide.md repeat it word for
// word (a test holds them to it). Scripts depend on the numbers; a code
// never changes its meaning once published.
#include <span>
#include <string>
#include <string_view>

namespace hs {

constexpr int kExitOk = 0;                  // the command ran to its end
constexpr int kExitUsage = 2;               // bad usage or bad input
constexpr int kExitEnvironment = 3;         // a folder, file or the registry editor failed
constexpr int kExitPartiallyRestored = 4;   // restore: the file came back in part, and is kept
constexpr int kExitNeedsAdministrator = 5;  // repair, restore: no administrator rights; as
                                            // Windows' ERROR_ACCESS_DENIED

struct ExitCodeMeaning {
  int code;
  std::string_view meaning;  // one sentence; command names as they are typed
};

// Every exit code the console returns, in ascending order.
std::span<const ExitCodeMeaning> ExitCodeTable();

// The table as the usage texts end: "exit codes:" and one entry per code,
// wrapped at 79 columns.
std::string ExitCodesUsage();

}  // namespace hs
