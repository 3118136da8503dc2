// "hivesweep-cli scan": the scan of the window's full tree (or the tasks
// given) over the live registry and file system, checked and filtered, as a
// text report or JSON. The work itself is in app/ScanCommand.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/ProbeLog.h"
#include "cli/ScanCommand.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliProgress.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "settings/Settings.h"

namespace hs::cli {
namespace {

void WriteStdout(const std::string& bytes) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The yardstick run: the walk, then (when given) the recorded questions to
// the file system asked again, each part timed.
int EnumerateMain(const ScanCommandOptions& options, RegistryBackend& registry,
                  FileSystemBackend& files) {
  std::vector<std::string> probes;
  if (options.replayProbes) {
    std::string bytes;
    if (files.readFile(*options.replayProbes, bytes) != FsStatus::Ok) {
      std::fprintf(stderr, "hivesweep-cli scan: cannot read %s\n", options.replayProbes->c_str());
      return kExitEnvironment;
    }
    probes = ParseProbeLog(bytes);
  }
  const auto start = std::chrono::steady_clock::now();
  std::string output = RunEnumerationOnly(registry, options.tasks, QueryCurrentUserSid());
  const double walk = SecondsSince(start);
  if (options.replayProbes) {
    const auto replayStart = std::chrono::steady_clock::now();
    const std::size_t found = ReplayProbes(files, probes);
    output += "walk " + std::to_string(walk) + " s, " + std::to_string(probes.size()) +
              " probes (" + std::to_string(found) + " found) " +
              std::to_string(SecondsSince(replayStart)) + " s\n";
  }
  WriteStdout(output);
  return kExitOk;
}

bool WriteProbeLog(FileSystemBackend& files, const std::string& path,
                   const ProbeRecorder& recorder) {
  if (WriteOutputFile(files, path, ProbeLogBytes(recorder.Paths()))) return true;
  std::fprintf(stderr, "hivesweep-cli scan: cannot write the probe log to %s\n", path.c_str());
  return false;
}

}  // namespace

int RunScan(const std::vector<std::string>& args) {
  const ScanArgumentsResult parsed = ParseScanArguments(args);
  if (!parsed.options) return BadUsage("scan", parsed.error);
  const ScanCommandOptions& options = *parsed.options;
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  if (options.enumerateOnly) return EnumerateMain(options, registry, files);
  const CliProcess process = PrepareCliProcess(files);
  const Settings& settings = process.settings;
  const ScanSettings scanSettings = ScanSettings::From(settings, process.facts, process.texts);
  ProbeRecorder recorder(files);
  FileSystemBackend& scanFiles =
      options.probeLog ? static_cast<FileSystemBackend&>(recorder) : files;
  const ScanCommandResult result =
      ScanWithProgress(registry, scanFiles, scanSettings, settings, options.tasks, options.quiet);
  if (options.probeLog && !WriteProbeLog(files, *options.probeLog, recorder))
    return kExitEnvironment;
  for (const TaskError& error : result.taskErrors)
    std::fprintf(stderr, "hivesweep-cli scan: task %d ended early: %s\n", error.task,
                 error.message.c_str());
  const std::string output = RenderScanOutput(result.findings, options.json);
  if (!options.reportFile) {
    WriteStdout(output);
    return kExitOk;
  }
  std::string reason;
  if (!WriteOutputFile(files, *options.reportFile, output, &reason)) {
    std::fprintf(stderr, "hivesweep-cli scan: cannot write the report to %s%s%s\n",
                 options.reportFile->c_str(), reason.empty() ? "" : ": ", reason.c_str());
    return kExitEnvironment;
  }
  return kExitOk;
}

}  // namespace hs::cli
