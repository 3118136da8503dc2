#include "app/ScanCommand.h"


#include <algorithm>

#include "mainwindow/Report.h"
#include "mainwindow/ResultFilter.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanTaskRunner.h"

namespace hs {
namespace {

// Keeps every finding and every task error, in order.
class CollectingSink : public NullScanSink {
 public:
  void AddFinding(const Finding& finding) override { findings.push_back(finding); }
  void TaskFailed(int task, const std::string& message) override {
    errors.push_back(TaskError{task, message});
  }
  std::vector<Finding> findings;
  std::vector<TaskError> errors;
};

bool ParseSections(const std::string& text, std::vector<std::string>& tasks, std::string& error) {
  if (text.empty()) {
    error = "--sections needs a list of task numbers";
    return false;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const bool digits = !item.empty() && item.size() <= 3 &&
                        item.find_first_not_of("0123456789") == std::string::npos;
    const int number = digits ? std::stoi(item) : 0;
    if (number < 1 || number > kHighestTask) {
      error = "bad task number '" + item + "' in --sections (1 to 23)";
      return false;
    }
    tasks.push_back(std::to_string(number));
    start = comma + 1;
  }
  return true;
}

}  // namespace

std::vector<std::string> DefaultScanTasks() {
  std::vector<std::string> tasks;
  for (int task = 1; task <= 22; ++task) tasks.push_back(std::to_string(task));
  return tasks;
}

ScanArgumentsResult ParseScanArguments(const std::vector<std::string>& args) {
  ScanArgumentsResult result;
  ScanCommandOptions options;
  bool sectionsGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--sections" && !sectionsGiven && hasValue) {
      sectionsGiven = true;
      if (!ParseSections(args[++i], options.tasks, result.error)) return result;
    } else if (arg == "--report" && !options.reportFile && hasValue && !args[i + 1].empty()) {
      options.reportFile = args[++i];
    } else if (arg == "--json" && !options.json) {
      options.json = true;
    } else if (arg == "--enumerate-only" && !options.enumerateOnly) {
      options.enumerateOnly = true;
    } else if (arg == "--probe-log" && !options.probeLog && hasValue && !args[i + 1].empty()) {
      options.probeLog = args[++i];
    } else if (arg == "--replay-probes" && !options.replayProbes && hasValue &&
               !args[i + 1].empty()) {
      options.replayProbes = args[++i];
    } else {
      const bool takesValue = arg == "--sections" || arg == "--report" || arg == "--probe-log" ||
                              arg == "--replay-probes";
      result.error =
          takesValue && !hasValue ? arg + " needs a value" : "unexpected argument '" + arg + "'";
      return result;
    }
  }
  if (options.replayProbes && !options.enumerateOnly) {
    result.error = "--replay-probes goes with --enumerate-only";
    return result;
  }
  if (!sectionsGiven) options.tasks = DefaultScanTasks();
  result.options = std::move(options);
  return result;
}

ScanCommandResult RunScanCommand(RegistryBackend& registry, FileSystemBackend& files,
                                 const ScanSettings& scanSettings, const Settings& settings,
                                 const std::vector<std::string>& tasks) {
  CollectingSink sink;
  {
    ScanContext context(registry, files, sink, scanSettings, tasks);
    RunScanTasks(context);
  }
  ScanCommandResult result;
  result.findings = std::move(sink.findings);
  result.taskErrors = std::move(sink.errors);
  for (Finding& finding : result.findings) finding.Checked = true;
  FilterResults(result.findings, settings.IgnoreValueList, settings.IgnoreKeyList,
                UnrepairedLists{}, scanSettings.WindowsVersionCode);
  return result;
}

std::string RenderScanOutput(const std::vector<Finding>& findings, bool json) {
  return json ? FindingsToJson(findings) : RenderReport(findings).bytes;
}

void EnumerateTaskTrees(RegistryBackend& registry, const std::vector<std::string>& tasks,
                        EnumerationCount& count, const std::string& currentUserSid) {
  const bool walksCurrentUser = std::find(tasks.begin(), tasks.end(), "4") != tasks.end();
  const std::vector<std::string> ownHive =
      walksCurrentUser ? CurrentUserHiveKeys(currentUserSid) : std::vector<std::string>{};
  for (const std::string& task : tasks) {
    if (task == "3") BareEnumerate(registry, RootKey::LocalMachine, "Software", count);
    if (task == "4") BareEnumerate(registry, RootKey::CurrentUser, "", count);
    if (task == "5") BareEnumerate(registry, RootKey::Users, "", count, ownHive);
    if (task == "15")
      BareEnumerate(registry, RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Services", count);
  }
}

std::string RunEnumerationOnly(RegistryBackend& registry, const std::vector<std::string>& tasks,
                               const std::string& currentUserSid) {
  EnumerationCount count;
  EnumerateTaskTrees(registry, tasks, count, currentUserSid);
  return std::to_string(count.keys) + " keys, " + std::to_string(count.values) + " values, " +
         std::to_string(count.stringValues) + " string values\n";
}

bool WriteOutputFile(FileSystemBackend& files, const std::string& path, const std::string& bytes) {
  std::unique_ptr<FileWriter> writer;
  if (files.openForWrite(path, false, writer) != FsStatus::Ok || !writer) return false;
  return writer->write(bytes) == FsStatus::Ok && writer->flush() == FsStatus::Ok;
}

}  // namespace hs
