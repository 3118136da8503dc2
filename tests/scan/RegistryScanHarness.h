#pragma once
// Scanner tests that run a scan more than once on the same machine: seed the
// in-memory registry and file system, run tasks, read what the sink heard in
// the last run.
#include <algorithm>

#include "regfile/RegFileImport.h"
#include "scan/ScanTestSupport.h"

namespace hs::testing {

struct RegistryScanHarness {
  MemoryRegistry registry;
  MemoryFileSystem files;
  test::RecordingSink sink;
  ScanSettings settings;

  // Loads REGEDIT4 lines (without the header line).
  void Seed(const std::string& regLines) {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(registry, "REGEDIT4\r\n\r\n" + regLines + "\r\n", error))
        << "line " << error.line << ": " << error.message;
  }

  // Runs the tasks through the runner, as a scan would, with a fresh sink.
  std::vector<Finding> Run(std::vector<std::string> tasks) {
    sink = test::RecordingSink();
    ScanContext context(registry, files, sink, settings, std::move(tasks));
    RunScanTasks(context);
    return sink.findings;
  }
  std::vector<Finding> Run(int task) { return Run(std::vector<std::string>{std::to_string(task)}); }

  bool TaskFailed(int task) const {
    const auto& events = sink.events;
    return std::find(events.begin(), events.end(), "failed " + std::to_string(task)) !=
           events.end();
  }
};

// "KeyPath | ValueText | kind" of each finding, for compact expectations.
inline std::vector<std::string> FindingRows(const std::vector<Finding>& findings) {
  std::vector<std::string> rows;
  for (const Finding& f : findings)
    rows.push_back(f.KeyPath + " | " + f.ValueText + " | " +
                   std::to_string(static_cast<int>(f.Kind)));
  return rows;
}

}  // namespace hs::testing
