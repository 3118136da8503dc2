#include "cli/win32/CliProgress.h"

#include <windows.h>

#include "cli/ScanProgress.h"
#include "platform/win32/WideText.h"

namespace hs::cli {
namespace {

bool StderrIsConsole() {
  const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

void WriteStderrConsole(const std::string& utf8) {
  const std::wstring text = win32::Widen(utf8);
  DWORD written = 0;
  ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), text.c_str(), static_cast<DWORD>(text.size()),
                  &written, nullptr);
}

}  // namespace

ScanCommandResult ScanWithProgress(RegistryBackend& registry, FileSystemBackend& files,
                                   const ScanSettings& scanSettings, const Settings& settings,
                                   const std::vector<std::string>& tasks, bool quiet) {
  if (quiet || !StderrIsConsole())
    return RunScanCommand(registry, files, scanSettings, settings, tasks);
  ScanProgress progress(WriteStderrConsole, tasks.size());
  ScanCommandResult result =
      RunScanCommand(registry, files, scanSettings, settings, tasks, &progress);
  progress.Finish();
  return result;
}

void ShowProgressLine(const std::string& utf8, bool quiet) {
  if (!quiet && StderrIsConsole()) WriteStderrConsole(utf8 + "\n");
}

}  // namespace hs::cli
