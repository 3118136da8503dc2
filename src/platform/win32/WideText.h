#pragma once
// UTF-8 (engine) <-> UTF-16 (W functions) at the Win32 boundary.
#include <string>
#include <string_view>

#include "common/Text.h"

namespace hs::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

inline std::wstring Widen(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// False when the text holds unpaired surrogates that UTF-8 cannot carry.
inline bool NarrowExact(std::wstring_view text, std::string& out) {
  return Utf16ToUtf8Exact(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), out);
}

}  // namespace hs::win32
