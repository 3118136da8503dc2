// The console commands' argument checks on arbitrary argument lists (one
// argument per NUL-separated field). Each parser either gives options or a
// message; a scan's task list holds only task numbers; restore and backups
// answer with one of their documented exit codes, and a failure says why.
#include <cstdlib>

#include "FuzzInput.h"
#include "cli/RepairCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/ScanCommand.h"
#include "cli/StartupCommand.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"

namespace {

const std::string kBackupFolder = "C:\\Out";

// The registry editor: imports the quoted file of its command line.
class ImportingEditor : public hs::RegistryEditorRunner {
 public:
  ImportingEditor(hs::FileSystemBackend& fs, hs::MemoryRegistry& registry)
      : m_fs(fs), m_registry(registry) {}
  hs::EditorRun run(const std::string& commandLine) override {
    const std::size_t open = commandLine.find('"');
    const std::size_t close = commandLine.rfind('"');
    if (open == std::string::npos || close <= open) return hs::EditorRun::NotStarted;
    std::string bytes;
    hs::RegFileError error;
    if (m_fs.readFile(commandLine.substr(open + 1, close - open - 1), bytes) == hs::FsStatus::Ok)
      ImportRegText(m_registry, bytes, error);
    return hs::EditorRun::Ended;
  }

 private:
  hs::FileSystemBackend& m_fs;
  hs::MemoryRegistry& m_registry;
};

void CheckScanArguments(const std::vector<std::string>& args) {
  const hs::ScanArgumentsResult scan = hs::ParseScanArguments(args);
  if (!scan.options) {
    if (scan.error.empty()) std::abort();
    return;
  }
  for (const std::string& task : scan.options->tasks) {
    const int number = std::atoi(task.c_str());
    if (number < 1 || number > hs::kHighestTask || std::to_string(number) != task) std::abort();
  }
}

void CheckRepairArguments(const std::vector<std::string>& args) {
  const hs::RepairArgumentsResult repair = hs::ParseRepairArguments(args);
  if (!repair.options) {
    if (repair.error.empty()) std::abort();
    return;
  }
  if (repair.options->backupDir && repair.options->backupDir->empty()) std::abort();
  CheckScanArguments(repair.options->scanArgs);
}

bool IsDocumentedExitCode(int code) {
  return code == 0 || code == 2 || code == 3 || code == hs::kExitPartiallyRestored;
}

void CheckRestoreAndBackups(const std::vector<std::string>& args) {
  hs::MemoryFileSystem fs;
  fs.addFile(
      kBackupFolder + "\\Backup20240101000000.reg",
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Demo]\r\n\"Gone\"=\"C:\\\\gone.exe\"\r\n");
  fs.addFile(kBackupFolder + "\\readme.txt", "x");
  hs::MemoryRegistry registry;
  ImportingEditor editor(fs, registry);
  const hs::CommandOutput restored =
      hs::RunRestoreCommand(args, fs, registry, editor, true, kBackupFolder);
  if (!IsDocumentedExitCode(restored.exitCode)) std::abort();
  // A failed restore says why: on the error stream, or in its --json object.
  if (restored.exitCode != 0 && restored.err.empty() && restored.out.empty()) std::abort();
  const hs::CommandOutput listed = hs::RunBackupsCommand(args, fs, registry, kBackupFolder);
  if (!IsDocumentedExitCode(listed.exitCode)) std::abort();
}

void CheckStartupArguments(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<hs::StartupArguments> parsed = hs::ParseStartupArguments(args, error);
  if (!parsed) {
    if (error.empty()) std::abort();
    return;
  }
  hs::MemoryFileSystem fs;
  hs::MemoryRegistry registry;
  hs::RegFileError importError;
  hs::ImportRegText(registry,
                    "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion\\Run]\r\n\"Demo\"=\"C:\\\\demo.exe\"\r\n",
                    importError);
  const hs::CommandOutput output =
      hs::RunStartupCommand(*parsed, registry, fs, {10, true, "Startup", "Common Startup"},
                            [] { return std::uint64_t{0}; });
  if (!IsDocumentedExitCode(output.exitCode)) std::abort();
  if (output.exitCode != 0 && output.err.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args = hs::fuzz::SplitFields(hs::fuzz::AsText(data, size));
  if (size == 0) args.clear();  // no argument at all
  CheckScanArguments(args);
  CheckRepairArguments(args);
  CheckRestoreAndBackups(args);
  CheckStartupArguments(args);
  return 0;
}
