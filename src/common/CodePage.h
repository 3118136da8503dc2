#pragma once
// The 8-bit code page of REGEDIT4 files (Windows-1252, the ANSI code page of
// the systems we run on). Conversions report characters the page cannot carry.
#include <string>
#include <string_view>

namespace hs {

std::u16string AnsiToUtf16(std::string_view bytes);
// False when some character has no byte in the code page; `out` then holds '?'
// in its place and must not be used where losing data matters.
bool Utf16ToAnsi(std::u16string_view text, std::string& out);

}  // namespace hs
