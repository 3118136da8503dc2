#pragma once
// The console scan: "scan [--sections LIST] [--report FILE] [--json|--json-v1] [--quiet]",
// LIST being task numbers and section names (ScanSections.h), comma-separated.
// Argument parsing and the run itself live here so that they are testable
// without Windows; the console program only supplies the machine.
#include <optional>
#include <string>
#include <vector>

#include "scan/BareEnumeration.h"
#include "scan/Finding.h"
#include "scan/ScanContext.h"
#include "settings/Settings.h"

namespace hs {

struct ScanCommandOptions {
  std::vector<std::string> tasks;  // task numbers as decimal strings, in order
  std::optional<std::string> reportFile;
  bool json = false;           // schema 2 (findings/ScanJson.h)
  bool jsonVersion1 = false;   // the bare array of schema 1, for existing scripts
  bool quiet = false;          // no progress on standard error
  bool enumerateOnly = false;  // benchmark yardstick: walk the tasks' trees, no checks
  // Benchmark: where the scan writes the paths it asked the file system about
  // (ProbeLog.h), and, with enumerateOnly, such a record to ask again after
  // the walk.
  std::optional<std::string> probeLog;
  std::optional<std::string> replayProbes;
};

struct ScanArgumentsResult {
  std::optional<ScanCommandOptions> options;
  std::string error;  // set when options is empty
};

// The full tree order 1..22, as a full scan from the window runs it.
std::vector<std::string> DefaultScanTasks();

// Highest task number a list may name (23 has a scanner but no tree node).
constexpr int kHighestTask = 23;

ScanArgumentsResult ParseScanArguments(const std::vector<std::string>& args);

struct TaskError {
  int task = 0;
  std::string message;
};

struct ScanCommandResult {
  std::vector<Finding> findings;  // checked and filtered
  std::vector<TaskError> taskErrors;
};

// Runs the tasks, checks every row and applies the result filter with the
// ignore lists of `settings`. The observer, when given, hears every event of
// the scan as it happens (progress); the result holds the findings either way.
ScanCommandResult RunScanCommand(RegistryBackend& registry, FileSystemBackend& files,
                                 const ScanSettings& scanSettings, const Settings& settings,
                                 const std::vector<std::string>& tasks,
                                 ScanSink* observer = nullptr);

// The output: the text report (code page bytes, CR LF) or JSON of schema 2
// (its rules in the language of `texts`) or 1, as `options` ask.
std::string RenderScanOutput(const std::vector<Finding>& findings,
                             const ScanCommandOptions& options, const Translation& texts = {});

// The benchmark yardstick: every key opened and every value read, nothing
// checked, in the trees of tasks 3, 4 and 5 and the services key of task 15
// that are in the list. For a full scan that is every tree it reads: the
// other tasks read keys inside these (the classes root is a view of
// HKLM\Software\Classes and HKCU\Software\Classes). With task 4 in the list,
// task 5's tree leaves out the hive of the user `currentUserSid`, as the
// scan does.
void EnumerateTaskTrees(RegistryBackend& registry, const std::vector<std::string>& tasks,
                        EnumerationCount& count, const std::string& currentUserSid = "");

// The --enumerate-only output: the counts of EnumerateTaskTrees.
std::string RunEnumerationOnly(RegistryBackend& registry, const std::vector<std::string>& tasks,
                               const std::string& currentUserSid = "");

// Writes the output to a file; false when it could not be written whole,
// with the reason (the system's words when it gave some) in `reason`.
bool WriteOutputFile(FileSystemBackend& files, const std::string& path, const std::string& bytes,
                     std::string* reason = nullptr);

}  // namespace hs
