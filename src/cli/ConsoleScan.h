#pragma once
// "scan" of the console programs, one implementation for all of them: the
// live machine (hivesweep-cli) and an installation read offline
// (hivesweep-offline) differ only in the host they hand in. Rows, report,
// JSON, progress, messages and exit codes are the same.
#include <functional>
#include <string>

#include "cli/CliProcess.h"
#include "cli/ScanCommand.h"
#include "cli/ScanProgress.h"

namespace hs::cli {

// What a console scan runs over and writes to.
struct ConsoleScanHost {
  std::string program;  // "hivesweep-cli": the start of every message
  RegistryBackend& registry;
  FileSystemBackend& files;  // the scanned machine's files
  // Settings, facts and texts; asked only when the scan checks rows.
  std::function<CliProcess()> prepare;
  std::function<std::string()> currentUserSid;  // --enumerate-only
  // Files of the person running the command: --report, --probe-log and
  // --replay-probes. The writer gives the reason in its last argument.
  std::function<bool(const std::string& path, std::string& bytes)> readOwnFile;
  std::function<bool(const std::string& path, const std::string& bytes, std::string& reason)>
      writeOwnFile;
  std::function<void(const std::string& bytes)> writeOut;  // bytes as they are
  std::function<void(const std::string& text)> writeErr;
  // The progress line's writer for this run; empty: no progress (--quiet,
  // standard error not a terminal).
  std::function<ScanProgress::Writer(bool quiet)> progressWriter;
};

// Exit 0 done, 3 (kExitEnvironment) when the report, probe log or probe
// record cannot be written or read. Usage errors are the caller's.
int RunConsoleScan(const ScanCommandOptions& options, ConsoleScanHost& host);

// The console scan with its progress line when `progress` is not empty.
ScanCommandResult ScanWithProgress(RegistryBackend& registry, FileSystemBackend& files,
                                   const ScanSettings& scanSettings, const Settings& settings,
                                   const std::vector<std::string>& tasks,
                                   const ScanProgress::Writer& progress);

}  // namespace hs::cli
