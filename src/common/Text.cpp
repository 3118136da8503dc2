#include "common/Text.h"

#include <algorithm>

namespace hs {
namespace {

#include "common/UpperCaseTable.inc"

// The registry folds a name one UTF-16 unit at a time, so surrogate pairs
// (supplementary characters) never change.
char32_t UpperCodePoint(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - 32 : c;
  if (c >= 0x10000) return c;
  constexpr char32_t kInBlock = (1u << kUpperBlockBits) - 1;
  return (c + kUpperDelta[kUpperBlock[c >> kUpperBlockBits]][c & kInBlock]) & 0xFFFF;
}

// Decodes one UTF-8 sequence at text[pos]; advances pos. Invalid bytes give
// U+FFFD and set ok = false.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos, bool& ok) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int extra = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    ++pos;
    ok = false;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    const std::size_t at = pos + static_cast<std::size_t>(i);
    if (at >= text.size() || (byte(at) & 0xC0) != 0x80) {
      pos += static_cast<std::size_t>(i);
      ok = false;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(at) & 0x3F);
  }
  pos += static_cast<std::size_t>(extra) + 1;
  const bool overlong =
      (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF) {
    ok = false;
    return 0xFFFD;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::size_t Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Upper-cased code points with the byte offset each starts at in the text.
struct FoldedText {
  std::u32string points;
  std::vector<std::size_t> offsets;
};

FoldedText Fold(std::string_view text) {
  FoldedText folded;
  folded.points.reserve(text.size());
  folded.offsets.reserve(text.size());
  std::size_t pos = 0;
  bool ok = true;
  while (pos < text.size()) {
    folded.offsets.push_back(pos);
    folded.points += UpperCodePoint(DecodeUtf8(text, pos, ok));
  }
  return folded;
}

}  // namespace

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string UpperCase(std::string_view text) {
  if (IsAscii(text)) {
    std::string out(text);
    for (char& c : out)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
  }
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  bool ok = true;
  while (pos < text.size()) AppendUtf8(out, UpperCodePoint(DecodeUtf8(text, pos, ok)));
  return out;
}

bool UpperCaseKeepsPositions(std::string_view text) {
  std::size_t pos = 0;
  bool ok = true;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    if (Utf8Length(UpperCodePoint(DecodeUtf8(text, pos, ok))) != pos - start) return false;
  }
  return true;
}

bool AsciiEqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  // Value look-ups ask this a lot: ASCII bytes are compared as they come, and
  // only from the first other byte on are both texts decoded (some capitals
  // take another number of UTF-8 bytes than their small letters).
  const auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t i = 0;
  for (; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) >= 0x80) break;
    if (upper(x) != upper(y)) return false;
  }
  if (i == common) return a.size() == b.size();
  std::size_t j = i;
  bool ok = true;
  while (i < a.size() && j < b.size())
    if (UpperCodePoint(DecodeUtf8(a, i, ok)) != UpperCodePoint(DecodeUtf8(b, j, ok))) return false;
  return i == a.size() && j == b.size();
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle) {
  if (IsAscii(haystack) && IsAscii(needle)) return UpperCase(haystack).find(UpperCase(needle));
  const FoldedText text = Fold(haystack);
  const std::u32string wanted = Fold(needle).points;
  const auto at = std::search(text.points.begin(), text.points.end(), wanted.begin(), wanted.end());
  if (at == text.points.end()) return wanted.empty() ? 0 : std::string::npos;
  return text.offsets[static_cast<std::size_t>(at - text.points.begin())];
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return FindNoCase(haystack, needle) != std::string::npos;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  std::size_t t = 0, p = 0;
  bool ok = true;
  while (p < prefix.size()) {
    if (t == text.size() ||
        UpperCodePoint(DecodeUtf8(text, t, ok)) != UpperCodePoint(DecodeUtf8(prefix, p, ok)))
      return false;
  }
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  // No other character folds to an ASCII one, so an ASCII suffix can only
  // match the same number of bytes.
  if (IsAscii(suffix))
    return text.size() >= suffix.size() &&
           AsciiEqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
  const std::u32string folded = Fold(text).points;
  const std::u32string wanted = Fold(suffix).points;
  return folded.size() >= wanted.size() &&
         std::equal(wanted.begin(), wanted.end(),
                    folded.end() - static_cast<std::ptrdiff_t>(wanted.size()));
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::u16string ua = Utf8ToUtf16(UpperCase(a));
  const std::u16string ub = Utf8ToUtf16(UpperCase(b));
  return ua.compare(ub) < 0 ? -1 : (ua == ub ? 0 : 1);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  bool ok = true;
  while (pos < text.size()) {
    const char32_t cp = DecodeUtf8(text, pos, ok);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

bool Utf16ToUtf8Exact(std::u16string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool exact = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // unpaired surrogate cannot be carried in UTF-8
      exact = false;
    }
    AppendUtf8(out, cp);
  }
  return exact;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  Utf16ToUtf8Exact(text, out);
  return out;
}

std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool terminate) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  if (terminate) {
    bytes.push_back(0);
    bytes.push_back(0);
  }
  return bytes;
}

std::u16string Utf16FromLeBytes(const std::vector<std::uint8_t>& bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

std::string Trim(std::string_view text) {
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t b = 0, e = text.size();
  while (b < e && isSpace(text[b])) ++b;
  while (e > b && isSpace(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + "\\" + name;
}

std::string TwoDigits(int n) {
  return n > 9 ? std::to_string(n) : "0" + std::to_string(n);
}

}  // namespace hs
