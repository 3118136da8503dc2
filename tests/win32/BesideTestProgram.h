#pragma once
// The build puts the programs and the translation files beside the test program.
#include <windows.h>

#include <string>

namespace hs::test {

inline std::wstring BesideTestProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring self(path);
  return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

}  // namespace hs::test
