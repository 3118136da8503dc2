#include "cli/ConsoleScan.h"

#include <chrono>

#include "cli/ExitCodes.h"
#include "cli/ProbeLog.h"

namespace hs::cli {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The yardstick run: the walk, then (when given) the recorded questions to
// the file system asked again, each part timed.
int EnumerateMain(const ScanCommandOptions& options, ConsoleScanHost& host) {
  std::vector<std::string> probes;
  if (options.replayProbes) {
    std::string bytes;
    if (!host.readOwnFile(*options.replayProbes, bytes)) {
      host.writeErr(host.program + " scan: cannot read " + *options.replayProbes + "\n");
      return kExitEnvironment;
    }
    probes = ParseProbeLog(bytes);
  }
  const auto start = std::chrono::steady_clock::now();
  std::string output = RunEnumerationOnly(host.registry, options.tasks, host.currentUserSid());
  const double walk = SecondsSince(start);
  if (options.replayProbes) {
    const auto replayStart = std::chrono::steady_clock::now();
    const std::size_t found = ReplayProbes(host.files, probes);
    output += "walk " + std::to_string(walk) + " s, " + std::to_string(probes.size()) +
              " probes (" + std::to_string(found) + " found) " +
              std::to_string(SecondsSince(replayStart)) + " s\n";
  }
  host.writeOut(output);
  return kExitOk;
}

bool WriteOwnFile(ConsoleScanHost& host, const std::string& what, const std::string& path,
                  const std::string& bytes, bool tellReason) {
  std::string reason;
  if (host.writeOwnFile(path, bytes, reason)) return true;
  if (!tellReason) reason.clear();
  host.writeErr(host.program + " scan: cannot write " + what + " to " + path +
                (reason.empty() ? "" : ": ") + reason + "\n");
  return false;
}

}  // namespace

ScanCommandResult ScanWithProgress(RegistryBackend& registry, FileSystemBackend& files,
                                   const ScanSettings& scanSettings, const Settings& settings,
                                   const std::vector<std::string>& tasks,
                                   const ScanProgress::Writer& progress) {
  if (!progress) return RunScanCommand(registry, files, scanSettings, settings, tasks);
  ScanProgress line(progress, tasks.size());
  ScanCommandResult result = RunScanCommand(registry, files, scanSettings, settings, tasks, &line);
  line.Finish();
  return result;
}

int RunConsoleScan(const ScanCommandOptions& options, ConsoleScanHost& host) {
  if (options.enumerateOnly) return EnumerateMain(options, host);
  const CliProcess process = host.prepare();
  const ScanSettings scanSettings =
      ScanSettings::From(process.settings, process.facts, process.texts);
  ProbeRecorder recorder(host.files);
  FileSystemBackend& scanFiles =
      options.probeLog ? static_cast<FileSystemBackend&>(recorder) : host.files;
  const ScanCommandResult result =
      ScanWithProgress(host.registry, scanFiles, scanSettings, process.settings, options.tasks,
                       host.progressWriter(options.quiet));
  if (options.probeLog && !WriteOwnFile(host, "the probe log", *options.probeLog,
                                        ProbeLogBytes(recorder.Paths()), false))
    return kExitEnvironment;
  for (const TaskError& error : result.taskErrors)
    host.writeErr(host.program + " scan: task " + std::to_string(error.task) +
                  " ended early: " + error.message + "\n");
  const std::string output = RenderScanOutput(result.findings, options, process.texts);
  if (!options.reportFile) {
    host.writeOut(output);
    return kExitOk;
  }
  return WriteOwnFile(host, "the report", *options.reportFile, output, true) ? kExitOk
                                                                             : kExitEnvironment;
}

}  // namespace hs::cli
