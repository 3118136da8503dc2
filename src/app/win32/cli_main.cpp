// hivesweep-cli: the console companion for administrators and scripts.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/CliCommands.h"
#include "common/Text.h"

namespace {

int PrintUsage() {
  std::fputs(
      "usage: hivesweep-cli --version\n"
      "       hivesweep-cli scan [--sections N,N,...] [--report FILE] [--json]\n"
      "       hivesweep-cli repair [--sections N,N,...] [--backup-dir DIR]\n"
      "       hivesweep-cli restore FILE\n"
      "       hivesweep-cli backups\n",
      stderr);
  return hs::cli::kExitUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(hs::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  if (args.empty()) return PrintUsage();
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--version" && args.empty()) {
    std::printf("%s\n", HS_VERSION);
    return hs::cli::kExitOk;
  }
  for (const hs::cli::Command& entry : hs::cli::Commands())
    if (command == entry.name) return entry.run(args);
  std::fprintf(stderr, "hivesweep-cli: unknown command '%s'\n", command.c_str());
  return PrintUsage();
}
