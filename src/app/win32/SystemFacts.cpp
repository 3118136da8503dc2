#include "app/win32/SystemFacts.h"

#include <windows.h>

namespace hs {

WindowsVersionInfo QueryWindowsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return {};
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool QueryIsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32");
  if (!kernel32) return false;
  const FARPROC proc = ::GetProcAddress(kernel32, "IsWow64Process");
  if (!proc) return false;
  // Through a plain function pointer: FARPROC's own type does not match.
  const auto isWow64Process =
      reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(proc));
  BOOL wow64 = FALSE;
  return isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

void InitSystemFacts() {
  SetSystemFacts({QueryWindowsVersion(), QueryIsWow64()});
}

}  // namespace hs
