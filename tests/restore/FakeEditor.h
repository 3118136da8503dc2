#pragma once
// Stands in for the system registry editor in the restore tests.
#include <string>
#include <vector>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "restore/RegistryEditor.h"

namespace hs {

// Imports the named file into the
// in-memory registry (or does what a test wants instead).
class FakeEditor : public RegistryEditorRunner {
 public:
  FakeEditor(MemoryFileSystem& fs, MemoryRegistry& reg) : m_fs(fs), m_reg(reg) {}
  EditorRun run(const std::string& commandLine) override {
    commandLines.push_back(commandLine);
    if (result != EditorRun::Ended || !import) return result;
    const std::size_t open = commandLine.find('"');
    std::string bytes;
    RegFileError error;
    if (m_fs.readFile(commandLine.substr(open + 1, commandLine.size() - open - 2), bytes) ==
        FsStatus::Ok)
      ImportRegText(m_reg, bytes, m_fs.ansiCodePage(), error);
    return result;
  }
  EditorRun result = EditorRun::Ended;
  bool import = true;
  std::vector<std::string> commandLines;

 private:
  MemoryFileSystem& m_fs;
  MemoryRegistry& m_reg;
};

}  // namespace hs
