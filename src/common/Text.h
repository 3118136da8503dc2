#pragma once
// Text helpers shared by the engine. Engine text is UTF-8; the Win32 boundary
// converts to UTF-16. Every case-insensitive comparison goes through here so
// that key paths, value names and file names compare the same way everywhere.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hs {

// Upper-cases the way the registry folds names when it compares them: each
// BMP character that forms a two-way case pair with its capital (Unicode's
// simple mappings); U+0131, U+017F, U+00B5, final sigma and the like stay
// as they are, and so do supplementary characters. No character outside
// ASCII folds to an ASCII one. A capital may take more or fewer UTF-8 bytes
// than its small letter (U+0250 -> U+2C6F): byte positions in the result
// hold in the text only where UpperCaseKeepsPositions says so.
// Every byte below 0x80.
bool IsAscii(std::string_view text);

std::string UpperCase(std::string_view text);
bool UpperCaseKeepsPositions(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Only the ASCII letters a-z folded; other bytes compare as they are.
bool AsciiEqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Byte position in haystack (not in a folded copy) of needle ignoring case, or npos.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle);
// <0, 0, >0 like strcmp, on upper-cased code points (registry subkey order).
int CompareNoCase(std::string_view a, std::string_view b);

// UTF-8 <-> UTF-16 conversion. Invalid input is replaced by U+FFFD; the
// *Exact variants report whether the conversion was lossless instead.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
bool Utf16ToUtf8Exact(std::u16string_view text, std::string& out);

// Registry string data is stored as UTF-16LE bytes, usually NUL-terminated.
std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool terminate = true);
std::u16string Utf16FromLeBytes(const std::vector<std::uint8_t>& bytes);

std::vector<std::string> Split(std::string_view text, char separator);
std::string Trim(std::string_view text);  // blanks and control characters

// folder + a path delimiter when it has none + name.
std::string JoinPath(const std::string& folder, const std::string& name);
// N in decimal with a leading "0" when N is not greater than 9 (file name
// stamps: 07, 10).
std::string TwoDigits(int n);

}  // namespace hs
