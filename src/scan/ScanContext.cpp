#include "scan/ScanContext.h"

#include <algorithm>

#include "scan/ScanTaskRunner.h"
#include "settings/Settings.h"

namespace hs {

ScanSettings ScanSettings::From(const Settings& settings, const SystemFacts& facts,
                                Translation texts) {
  ScanSettings made;
  made.IncludeRemoveMedia = settings.IncludeRemoveMedia;
  made.IncludeCDdrive = settings.IncludeCDdrive;
  made.WindowsVersionCode = facts.WindowsVersionCode();
  made.WindowsVersion = facts.version;
  made.RunsOnWow64 = facts.wow64;
  made.CurrentUserSid = facts.userSid;
  made.Texts = std::move(texts);
  return made;
}

ScanContext::ScanContext(RegistryBackend& registry, FileSystemBackend& files, ScanSink& sink,
                         const ScanSettings& settings, std::vector<std::string> taskList)
    : Registry(registry),
      Files(files),
      Sink(sink),
      Settings(settings),
      Drives(MakeDriveFlags(files, settings.IncludeRemoveMedia, settings.IncludeCDdrive,
                            settings.RunsOnWow64)),
      TaskList(std::move(taskList)),
      Memo(files, &Stop),
      Checker(files, Memo, Drives, settings.IncludeRemoveMedia) {}

void ScanContext::ShowTaskCaption(const std::string& caption) {
  CheckStop();
  CurrentCaption = caption;
  Sink.ShowTaskCaption(caption);
}

void ScanContext::ShowCurrentKey(const std::string& keyPath) {
  CheckStop();
  Sink.ShowCurrentKey(keyPath);
}

void ScanContext::AddFinding(std::string problem, std::string keyPath, std::string valueText,
                             FindingKind kind, FindingEvidence evidence) {
  CheckStop();
  Finding finding;
  finding.Problem = std::move(problem);
  finding.KeyPath = std::move(keyPath);
  finding.ValueText = std::move(valueText);
  finding.Kind = kind;
  finding.Task = CurrentTask;
  finding.Evidence = std::move(evidence);
  Sink.TakeFinding(std::move(finding));
}

void ScanContext::AddValueFinding(const std::string& problem, const std::string& hiveName,
                                  const std::string& keyPath, const std::string& valueName,
                                  const std::string& valueText, FindingEvidence evidence) {
  // Built in one piece: a finding-dense scan adds tens of thousands of these.
  std::string key;
  key.reserve(hiveName.size() + keyPath.size() + valueName.size() + 2);
  key += hiveName;
  if (!keyPath.empty()) {
    if (!key.empty()) key += '\\';
    key += keyPath;
  }
  if (valueName.find('\\') != std::string::npos) {
    AddFinding(problem, std::move(key), valueName, FindingKind::fkNamedValue, std::move(evidence));
    return;
  }
  key += '\\';
  key += valueName;
  AddFinding(problem, std::move(key), valueText, FindingKind::fkValueInPath, std::move(evidence));
}

FindingEvidence ScanContext::EvidenceOfMissing(EvidenceRule rule) const {
  const MissingReference& missing = Checker.LastMissing();
  return FindingEvidence(rule, missing.answer, missing.tested, missing.asked);
}

FindingEvidence ScanContext::DiskNotInDrive(EvidenceRule rule, const std::string& tested) {
  return FindingEvidence(rule, EvidenceAnswer::DiskNotInDrive, tested, tested);
}

bool ScanContext::TaskListHas(int task) const {
  return std::any_of(TaskList.begin(), TaskList.end(), [task](const std::string& entry) {
    return TaskNumberFromText(entry) == task;
  });
}

std::string JoinKeyPath(std::string_view first, std::string_view second) {
  std::string joined(first);
  if (!second.empty()) {
    if (!joined.empty()) joined += '\\';
    joined += second;
  }
  return joined;
}

}  // namespace hs
