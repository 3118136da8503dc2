#pragma once
#include <windows.h>

namespace hs::test {

// Wine's ntdll exports wine_get_version; Windows' does not. Used only to mark
// the few places where Wine answers differently from Windows.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace hs::test
