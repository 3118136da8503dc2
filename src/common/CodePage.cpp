#include "common/CodePage.h"

#include "common/Text.h"

namespace hs {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control with the same number, as MultiByteToWideChar does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u16string AnsiToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

bool Utf16ToAnsi(std::u16string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool exact = true;
  for (char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHighControls[i] == c) found = i;
    if (found >= 0) {
      out += static_cast<char>(0x80 + found);
    } else {
      out += '?';
      exact = false;
    }
  }
  return exact;
}

std::u16string Windows1252CodePage::decode(std::string_view bytes) const {
  return AnsiToUtf16(bytes);
}

bool Windows1252CodePage::encode(std::u16string_view text, std::string& out) const {
  return Utf16ToAnsi(text, out);
}

std::size_t DecodeCut(std::string_view bytes, std::size_t limit) {
  if (bytes.size() <= limit) return bytes.size();
  for (std::size_t i = limit; i > 0; --i)
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
  return limit;
}

void AppendDecodedUtf8(const CodePage& page, std::string_view bytes, std::string& out) {
  constexpr std::size_t kPiece = 1 << 16;
  while (!bytes.empty()) {
    const std::size_t cut = DecodeCut(bytes, kPiece);
    out += Utf16ToUtf8(page.decode(bytes.substr(0, cut)));
    bytes.remove_prefix(cut);
  }
}

}  // namespace hs
