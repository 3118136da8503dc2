#include "cli/win32/CliProgress.h"

#include <windows.h>

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

ScanProgress::Writer ConsoleProgressWriter(bool quiet) {
  if (quiet || !StderrIsConsole()) return {};
  return WriteStderrConsole;
}

void ShowProgressLine(const std::string& utf8, bool quiet) {
  if (!quiet && StderrIsConsole()) WriteStderrConsole(utf8 + "\n");
}

}  // namespace hs::cli
