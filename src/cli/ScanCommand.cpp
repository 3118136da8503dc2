#include "cli/ScanCommand.h"

#include <algorithm>

#include "cli/CommandLine.h"
#include "cli/ScanSections.h"
#include "findings/Report.h"
#include "findings/ResultFilter.h"
#include "findings/ScanJson.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanTaskRunner.h"

namespace hs {
namespace {

// Keeps every finding and every task error, in order, and passes every event
// on to the observer.
class CollectingSink : public ScanSink {
 public:
  explicit CollectingSink(ScanSink& observer) : m_observer(observer) {}
  void AddFinding(const Finding& finding) override {
    findings.push_back(finding);
    m_observer.AddFinding(finding);
  }
  void TakeFinding(Finding&& finding) override {
    findings.push_back(std::move(finding));
    m_observer.AddFinding(findings.back());
  }
  void ShowTaskCaption(const std::string& caption) override { m_observer.ShowTaskCaption(caption); }
  void ShowCurrentKey(const std::string& keyPath) override { m_observer.ShowCurrentKey(keyPath); }
  void TaskStarted(int task) override { m_observer.TaskStarted(task); }
  void TaskEnded(int task) override { m_observer.TaskEnded(task); }
  void TaskFailed(int task, const std::string& message) override {
    errors.push_back(TaskError{task, message});
    m_observer.TaskFailed(task, message);
  }
  void ScanFinished() override { m_observer.ScanFinished(); }

  std::vector<Finding> findings;
  std::vector<TaskError> errors;

 private:
  ScanSink& m_observer;
};

// A task number (1 to 23, leading zeros allowed) or a section name.
std::optional<int> SectionTask(const std::string& item) {
  const bool digits = !item.empty() && item.size() <= 3 &&
                      item.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) return TaskForSectionName(item);
  const int number = std::stoi(item);
  if (number < 1 || number > kHighestTask) return std::nullopt;
  return number;
}

bool ParseSections(const std::string& text, std::vector<std::string>& tasks, std::string& error) {
  if (text.empty()) {
    error = "--sections needs a list of task numbers or section names";
    return false;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const std::optional<int> task = SectionTask(item);
    if (!task) {
      error = "unknown section '" + item +
              "' in --sections (task numbers 1 to 23 or the names 'hivesweep-cli sections' lists)";
      return false;
    }
    tasks.push_back(std::to_string(*task));
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
  bool reportGiven = false;
  bool probeLogGiven = false;
  bool replayGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    bool ok = true;
    if (arg == "--sections") {
      ok = TakeOptionValue(args, i, sectionsGiven, value, result.error) &&
           ParseSections(value, options.tasks, result.error);
    } else if (arg == "--report") {
      ok = TakeOptionValue(args, i, reportGiven, value, result.error);
      if (ok) options.reportFile = value;
    } else if (arg == "--json") {
      ok = TakeSwitch(arg, options.json, result.error);
    } else if (arg == "--json-v1") {
      ok = TakeSwitch(arg, options.jsonVersion1, result.error);
    } else if (arg == "--quiet") {
      ok = TakeSwitch(arg, options.quiet, result.error);
    } else if (arg == "--enumerate-only") {
      ok = TakeSwitch(arg, options.enumerateOnly, result.error);
    } else if (arg == "--probe-log") {
      ok = TakeOptionValue(args, i, probeLogGiven, value, result.error);
      if (ok) options.probeLog = value;
    } else if (arg == "--replay-probes") {
      ok = TakeOptionValue(args, i, replayGiven, value, result.error);
      if (ok) options.replayProbes = value;
    } else {
      result.error = "unexpected argument '" + arg + "'";
      ok = false;
    }
    if (!ok) return result;
  }
  if (options.json && options.jsonVersion1) {
    result.error = "--json and --json-v1 exclude each other";
    return result;
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
                                 const std::vector<std::string>& tasks, ScanSink* observer) {
  NullScanSink nobody;
  CollectingSink sink(observer ? *observer : nobody);
  {
    ScanContext context(registry, files, sink, scanSettings, tasks);
    RunScanTasks(context);
  }
  ScanCommandResult result;
  result.findings = std::move(sink.findings);
  result.taskErrors = std::move(sink.errors);
  for (Finding& finding : result.findings) finding.Checked = true;
  FilterResults(result.findings, settings.IgnoreValueList, settings.IgnoreKeyList,
                UnrepairedLists{}, scanSettings.WindowsVersion);
  return result;
}

std::string RenderScanOutput(const std::vector<Finding>& findings,
                             const ScanCommandOptions& options, const Translation& texts) {
  if (options.jsonVersion1) return FindingsToJson(findings);
  if (options.json) return FindingsToJsonSchema2(findings, EvidenceTexts(texts));
  return RenderReport(findings).bytes;
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

bool WriteOutputFile(FileSystemBackend& files, const std::string& path, const std::string& bytes,
                     std::string* reason) {
  std::unique_ptr<FileWriter> writer;
  FsStatus status = files.openForWrite(path, false, writer);
  if (status == FsStatus::Ok && writer) status = writer->write(bytes);
  if (status == FsStatus::Ok && writer) status = writer->flush();
  if (status == FsStatus::Ok && !writer) status = FsStatus::Failed;
  if (status == FsStatus::Ok) return true;
  if (reason) *reason = FsFailureReason(files, status);
  return false;
}

}  // namespace hs
