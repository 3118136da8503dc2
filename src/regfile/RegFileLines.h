#pragma once
// The lines of a registry file as UTF-8 text, one at a time, decoded the way
// the system registry editor decodes them: UTF-16LE after an FF FE mark, UTF-8
// after an EF BB BF mark, otherwise each line on its own in the ANSI code page
// (a double-byte character never spans a line end, and escapes are read only
// after decoding). Lines end at CR, LF or CR LF; a last line without an end
// counts when it is not empty. Only one line is held at a time, so a file of
// any size costs little beyond its own bytes.
#include <string>
#include <string_view>

#include "common/CodePage.h"

namespace hs {

class RegFileLines {
 public:
  // `bytes` and `codePage` must outlive the object.
  RegFileLines(std::string_view bytes, const CodePage& codePage);

  // The next line, valid until the next call; false after the last one.
  bool next(std::string_view& line);
  // The 1-based number of the line last returned (0 before the first).
  int number() const { return m_number; }
  // Where the line last returned begins in the bytes given, its mark counted.
  std::size_t lineStart() const { return m_lineStart; }
  // Whether the file is UTF-16 or UTF-8 (it has a byte order mark).
  bool unicodeEncoding() const { return m_encoding != Encoding::Ansi; }

 private:
  enum class Encoding { Ansi, Utf8, Utf16 };
  bool next8(std::string_view& line);
  bool next16(std::string_view& line);
  char16_t unit(std::size_t index) const;

  std::string_view m_bytes;
  const CodePage& m_codePage;
  Encoding m_encoding = Encoding::Ansi;
  std::size_t m_pos = 0;  // bytes for 8-bit files, UTF-16 units after the mark otherwise
  std::string m_buffer;   // a line that had to be converted
  int m_number = 0;
  std::size_t m_markSize = 0;
  std::size_t m_lineStart = 0;
};

}  // namespace hs
