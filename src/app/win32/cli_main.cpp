// hivesweep-cli: the console companion for administrators and scripts.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliUsage.h"
#include "cli/CommandLine.h"
#include "cli/win32/CliCommands.h"
#include "common/Text.h"

namespace {

std::vector<std::string> Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(hs::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  return args;
}

int Usage(FILE* stream, int exitCode) {
  std::fputs(hs::GeneralUsage().c_str(), stream);
  return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args = Arguments(argc, argv);
  if (args.empty()) return Usage(stderr, hs::kExitUsage);
  const std::string command = args.front();
  args.erase(args.begin());
  if (hs::IsHelpFlag(command)) return Usage(stdout, hs::kExitOk);
  if (command == "--version" && args.empty()) {
    std::printf("%s\n", HS_VERSION);
    return hs::kExitOk;
  }
  for (const hs::cli::Command& entry : hs::cli::Commands()) {
    if (command != entry.name) continue;
    if (command != "help" && hs::AsksForHelp(args)) {
      std::fputs(hs::CommandUsage(command).c_str(), stdout);
      return hs::kExitOk;
    }
    return entry.run(args);
  }
  std::fprintf(stderr, "hivesweep-cli: unknown command '%s'\n", command.c_str());
  return Usage(stderr, hs::kExitUsage);
}
