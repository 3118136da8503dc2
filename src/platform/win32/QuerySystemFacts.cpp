#include "platform/win32/QuerySystemFacts.h"

#include <windows.h>
// After windows.h, which defines what it needs.
#include <sddl.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

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

std::string QueryCurrentUserSid() {
  win32::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return {};
  // The SID lies behind the structure in the same buffer; DWORD-aligned.
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(user->User.Sid, &text)) return {};
  const win32::UniqueLocalMemory owned(text);
  return win32::Narrow(text);
}

SystemFacts QuerySystemFacts() {
  return {QueryWindowsVersion(), QueryIsWow64(), QueryCurrentUserSid()};
}

}  // namespace hs
