#include "regfile/RegFileLines.h"

#include <algorithm>

#include "common/Text.h"

namespace hs {
namespace {

bool IsLineEnd(char16_t c) {
  return c == u'\r' || c == u'\n';
}

}  // namespace

RegFileLines::RegFileLines(std::string_view bytes, const CodePage& codePage)
    : m_bytes(bytes), m_codePage(codePage) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    m_encoding = Encoding::Utf16;
    m_markSize = 2;
    m_bytes.remove_prefix(2);
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    m_encoding = Encoding::Utf8;
    m_markSize = 3;
    m_bytes.remove_prefix(3);
  }
}

bool RegFileLines::next(std::string_view& line) {
  m_lineStart = m_markSize + (m_encoding == Encoding::Utf16 ? 2 * m_pos : m_pos);
  const bool found = m_encoding == Encoding::Utf16 ? next16(line) : next8(line);
  if (found) ++m_number;
  return found;
}

bool RegFileLines::next8(std::string_view& line) {
  if (m_pos >= m_bytes.size()) return false;
  std::size_t end = m_bytes.find_first_of("\r\n", m_pos);
  if (end == std::string_view::npos) end = m_bytes.size();
  const std::string_view raw = m_bytes.substr(m_pos, end - m_pos);
  m_pos = end + (m_bytes.substr(end, 2) == "\r\n" ? 2 : 1);
  // Every ANSI code page keeps ASCII as it is.
  if (m_encoding == Encoding::Utf8 || IsAscii(raw)) {
    line = raw;
    return true;
  }
  m_buffer.clear();
  AppendDecodedUtf8(m_codePage, raw, m_buffer);
  line = m_buffer;
  return true;
}

char16_t RegFileLines::unit(std::size_t index) const {
  return static_cast<char16_t>(static_cast<unsigned char>(m_bytes[2 * index]) |
                               (static_cast<unsigned char>(m_bytes[2 * index + 1]) << 8));
}

bool RegFileLines::next16(std::string_view& line) {
  const std::size_t count = m_bytes.size() / 2;  // an odd last byte is no character
  if (m_pos >= count) return false;
  std::size_t end = m_pos;
  while (end < count && !IsLineEnd(unit(end))) ++end;
  m_buffer.clear();
  // Converted in pieces that never split a surrogate pair.
  constexpr std::size_t kPiece = 1 << 15;
  std::u16string piece;
  for (std::size_t i = m_pos; i < end;) {
    std::size_t stop = std::min(end, i + kPiece);
    if (stop < end && unit(stop - 1) >= 0xD800 && unit(stop - 1) <= 0xDBFF) ++stop;
    piece.clear();
    for (std::size_t k = i; k < stop; ++k) piece += unit(k);
    m_buffer += Utf16ToUtf8(piece);
    i = stop;
  }
  m_pos = end + ((end + 1 < count && unit(end) == u'\r' && unit(end + 1) == u'\n') ? 2 : 1);
  line = m_buffer;
  return true;
}

}  // namespace hs
