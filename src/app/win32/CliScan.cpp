// "hivesweep-cli scan": the scan of the window's full tree (or the tasks
// given) over the live registry and file system, checked and filtered, as a
// text report or JSON. The work itself is in app/ScanCommand.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/RegGlobal.h"
#include "app/ScanCommand.h"
#include "app/win32/CliCommands.h"
#include "platform/win32/ProgramLocation.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::cli {
namespace {

constexpr const char* kScanUsage =
    "usage: hivesweep-cli scan [--sections N,N,...] [--report FILE] [--json]\n"
    "       (--enumerate-only: benchmark yardstick, walks the trees of tasks 3-5 unchecked)\n";

// The version code of the version table: NT family by major.minor.
int WindowsVersionCodeNow() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(&info)) return 10;
#pragma GCC diagnostic pop
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 10;
  switch (info.dwMajorVersion) {
    case 3: return 5;
    case 4: return 6;
    case 5: return info.dwMinorVersion == 0 ? 7 : info.dwMinorVersion == 1 ? 9 : 10;
    case 6: return info.dwMinorVersion == 1 ? 12 : 11;
    default: return 10;
  }
}

bool RunsOnWow64Now() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  if (!kernel) return false;
  const auto query = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return query && query(::GetCurrentProcess(), &wow64) && wow64;
}

void WriteStdout(const std::string& bytes) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

int ScanMain(const std::vector<std::string>& args) {
  const ScanArgumentsResult parsed = ParseScanArguments(args);
  if (!parsed.options) {
    std::fprintf(stderr, "hivesweep-cli scan: %s\n%s", parsed.error.c_str(), kScanUsage);
    return kExitUsage;
  }
  const ScanCommandOptions& options = *parsed.options;
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  if (options.enumerateOnly) {
    WriteStdout(RunEnumerationOnly(registry, options.tasks));
    return kExitOk;
  }
  const Settings settings = Settings::Defaults(win32::ProgramFolder());
  const ScanSettings scanSettings = [&] {
    ScanSettings made;
    made.IncludeRemoveMedia = settings.IncludeRemoveMedia;
    made.IncludeCDdrive = settings.IncludeCDdrive;
    made.WindowsVersionCode = WindowsVersionCodeNow();
    made.RunsOnWow64 = RunsOnWow64Now();
    return made;
  }();
  const ScanCommandResult result =
      RunScanCommand(registry, files, scanSettings, settings, options.tasks);
  for (const TaskError& error : result.taskErrors)
    std::fprintf(stderr, "hivesweep-cli scan: task %d ended early: %s\n", error.task,
                 error.message.c_str());
  const std::string output = RenderScanOutput(result.findings, options.json);
  if (!options.reportFile) {
    WriteStdout(output);
    return kExitOk;
  }
  if (!WriteOutputFile(files, *options.reportFile, output)) {
    std::fprintf(stderr, "hivesweep-cli scan: cannot write the report to %s\n",
                 options.reportFile->c_str());
    return kExitEnvironment;
  }
  return kExitOk;
}

}  // namespace

int RunScan(const std::vector<std::string>& args) { return ScanMain(args); }

}  // namespace hs::cli
