#pragma once
// Exit codes of the console programs.

namespace hs::cli {

constexpr int kExitOk = 0;           // the command ran to its end
constexpr int kExitUsage = 2;        // bad usage or bad input
constexpr int kExitEnvironment = 3;  // backup folder or a file unwritable, editor failed

}  // namespace hs::cli
