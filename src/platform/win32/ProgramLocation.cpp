#include "platform/win32/ProgramLocation.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace hs::win32 {

std::string ProgramFolder() {
  // Paths may exceed MAX_PATH; grow until the name fits (a full buffer means
  // it was cut).
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = buffer.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  buffer.resize(slash);
  return Narrow(buffer) + "\\";
}

}  // namespace hs::win32
