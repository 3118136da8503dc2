#pragma once
// A scan on the in-memory registry and file system, with a sink that records
// everything it hears.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs::test {

class RecordingSink : public ScanSink {
 public:
  void AddFinding(const Finding& finding) override {
    findings.push_back(finding);
    events.push_back("finding");
  }
  void ShowTaskCaption(const std::string& caption) override { captions.push_back(caption); }
  void ShowCurrentKey(const std::string& keyPath) override { keys.push_back(keyPath); }
  void TaskStarted(int task) override { events.push_back("start " + std::to_string(task)); }
  void TaskEnded(int task) override { events.push_back("end " + std::to_string(task)); }
  void TaskFailed(int task, const std::string&) override {
    events.push_back("failed " + std::to_string(task));
  }
  void ScanFinished() override { events.push_back("finished"); }

  std::vector<Finding> findings;
  std::vector<std::string> events;
  std::vector<std::string> captions;
  std::vector<std::string> keys;
};

class ScanFixture : public ::testing::Test {
 protected:
  // Loads REGEDIT4 text (the header is added) into the registry.
  void Load(const std::string& body) {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(registry, "REGEDIT4\n\n" + body, error))
        << "line " << error.line << ": " << error.message;
  }

  ScanContext& Context(const std::vector<std::string>& tasks = {}) {
    context = std::make_unique<ScanContext>(registry, files, sink, settings, tasks);
    return *context;
  }

  // Runs the tasks and returns the findings.
  std::vector<Finding> Scan(const std::vector<std::string>& tasks) {
    RunScanTasks(Context(tasks));
    return sink.findings;
  }

  MemoryRegistry registry;
  MemoryFileSystem files;
  RecordingSink sink;
  ScanSettings settings;
  std::unique_ptr<ScanContext> context;
};

// A finding as one comparable line: "kind|KeyPath|ValueText".
inline std::string Row(const Finding& finding) {
  return std::to_string(static_cast<int>(finding.Kind)) + "|" + finding.KeyPath + "|" +
         finding.ValueText;
}

inline std::vector<std::string> Rows(const std::vector<Finding>& findings) {
  std::vector<std::string> rows;
  for (const Finding& finding : findings) rows.push_back(Row(finding));
  return rows;
}

}  // namespace hs::test
