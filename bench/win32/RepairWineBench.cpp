// hivesweep-repair-bench [--sections N,N,...] --backup-dir DIR: the console
// repair, its scan and its repair timed apart. The scan runs first, as in
// "hivesweep-cli repair"; then every row it found is repaired. The wall time
// of each goes to standard output ("scan-seconds S", "repair-seconds S").
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/RepairCommand.h"
#include "cli/ScanCommand.h"
#include "cli/win32/CliSettings.h"
#include "common/Text.h"
#include "platform/win32/QuerySystemFacts.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(hs::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  const hs::RepairArgumentsResult parsed = hs::ParseRepairArguments(args);
  const hs::ScanArgumentsResult scanArgs =
      parsed.options ? hs::ParseScanArguments(parsed.options->scanArgs) : hs::ScanArgumentsResult{};
  if (!parsed.options || !scanArgs.options || !parsed.options->backupDir) {
    std::fputs("usage: hivesweep-repair-bench [--sections N,N,...] --backup-dir DIR\n", stderr);
    return 2;
  }
  hs::win32::Win32Registry registry;
  hs::win32::Win32FileSystem files;
  const hs::cli::CliProcess process = hs::cli::PrepareCliProcess(files);
  const hs::Settings& settings = process.settings;
  const hs::ScanSettings scanSettings = hs::ScanSettings::From(settings, process.facts);
  LARGE_INTEGER scanStart, start, end;
  ::QueryPerformanceCounter(&scanStart);
  const hs::ScanCommandResult scan =
      hs::RunScanCommand(registry, files, scanSettings, settings, scanArgs.options->tasks);
  ::QueryPerformanceCounter(&start);
  const hs::CommandOutput output =
      hs::RunRepairCommand(registry, files, scan.findings, *parsed.options->backupDir);
  ::QueryPerformanceCounter(&end);
  std::size_t notRepaired = 0;
  for (std::size_t at = 0; (at = output.out.find("Not repaired:", at)) != std::string::npos; ++at)
    ++notRepaired;
  std::printf("rows %zu\nnot-repaired %zu\nscan-seconds %.3f\nrepair-seconds %.3f\n",
              scan.findings.size(), notRepaired, Seconds(scanStart, start), Seconds(start, end));
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}
