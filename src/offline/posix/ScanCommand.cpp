// hivesweep-offline scan and backups: hivesweep-cli's own commands
// (cli/ConsoleScan, RunBackupsCommand) over the installation's registry and
// its mounted volume.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli/ConsoleScan.h"
#include "cli/RestoreCommand.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/OfflineSession.h"

namespace hs::offline {
namespace {

// The offline program's own options go to ParseOfflineArgs, the rest (with
// their values) to the scan's parser.
void SplitScanArgs(const std::vector<std::string>& args, std::vector<std::string>& own,
                   std::vector<std::string>& scan) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool ownOption = args[i] == "--windows" || args[i] == "--user" || args[i] == "--drive";
    std::vector<std::string>& to = ownOption ? own : scan;
    to.push_back(args[i]);
    const bool takesValue = ownOption || args[i] == "--sections" || args[i] == "--report" ||
                            args[i] == "--probe-log" || args[i] == "--replay-probes";
    if (takesValue && i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
      to.push_back(args[++i]);
  }
}

bool ReadHostFile(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  bytes = content.str();
  return !file.bad();
}

bool WriteHostFile(const std::string& path, const std::string& bytes, std::string& reason) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (file) file.flush();
  if (file) return true;
  reason = std::strerror(errno);
  return false;
}

void WriteOut(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int RunScanOffline(const std::vector<std::string>& args) {
  std::vector<std::string> own, scanArgs;
  SplitScanArgs(args, own, scanArgs);
  const OfflineArgs parsed = ParseOfflineArgs(own, {"--windows", "--user", "--drive"});
  if (!parsed.error.empty()) return OfflineBadUsage("scan", parsed.error);
  const ScanArgumentsResult scan = ParseScanArguments(scanArgs);
  if (!scan.options) return OfflineBadUsage("scan", scan.error);
  int exitCode = kExitOk;
  std::optional<OfflineSession> session = OpenSession("scan", parsed, true, exitCode);
  if (!session) return exitCode;
  PrintSessionNotes("scan", *session);
  cli::ConsoleScanHost host{"hivesweep-offline",
                            session->installation->registry(),
                            *session->volume,
                            [&session] { return session->process(); },
                            [&session] { return session->user->sid; },
                            ReadHostFile,
                            WriteHostFile,
                            WriteOut,
                            [](const std::string& text) { std::fputs(text.c_str(), stderr); },
                            TerminalProgress};
  exitCode = cli::RunConsoleScan(*scan.options, host);
  return exitCode == kExitOk && session->stale ? kExitStale : exitCode;
}

int RunBackupsOffline(const std::vector<std::string>& args) {
  const OfflineArgs parsed =
      ParseOfflineArgs(args, {"--windows", "--user", "--drive", "--json", "--items"});
  if (!parsed.error.empty()) return OfflineBadUsage("backups", parsed.error);
  int exitCode = kExitOk;
  std::optional<OfflineSession> session = OpenSession("backups", parsed, false, exitCode);
  if (!session) return exitCode;
  PrintSessionNotes("backups", *session);
  if (session->program.folder.empty()) {
    // Its backup folder is set in its settings or lies in its folder.
    std::fprintf(stderr,
                 "hivesweep-offline backups: Corvane Hivesweep is not installed there (no "
                 "uninstall entry, no program in the default folder)\n");
    return kExitEnvironment;
  }
  const cli::CliProcess process = session->process();
  std::vector<std::string> listArgs;
  if (parsed.json) listArgs.push_back("--json");
  if (parsed.items) listArgs.push_back("--items");
  const CommandOutput output =
      RunBackupsCommand(listArgs, *session->volume, session->installation->registry(),
                        process.settings.OutputDirectory, process.texts);
  WriteOut(output.out);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode == kExitOk && session->stale ? kExitStale : output.exitCode;
}

}  // namespace hs::offline
