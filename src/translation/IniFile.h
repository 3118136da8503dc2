#pragma once
// A profile (INI) file held in memory. Reads follow the Windows profile
// functions (GetPrivateProfileString and friends) so that a file answers the
// same here as it does there; writes keep the file's own lines, order,
// comments and encoding, and change only what they must.
//
// Reading rules:
// * Lines end at CR LF, LF or CR; ASCII blanks and Ctrl-Z around a line,
//   around a name and after '=' do not count. Nothing is a comment: a ";x=1"
//   line is simply a key nobody asks for.
// * "[name]" runs to the last ']' of the line; a line without ']' is a key.
//   Lines before the first header form a section with the empty name.
// * Section and key names compare with ASCII letters folded (other letters
//   must match exactly); blanks around the names asked for are ignored. The
//   first section of a name is the only one searched, and its first key of a
//   name wins.
// * A value comes back as at most 2047 UTF-16 characters (a 2048-character
//   buffer), with one pair of matching surrounding quotes (' or ") removed.
// * Encodings: UTF-16LE or UTF-16BE with a byte-order mark, UTF-8 with its
//   mark, anything else 8-bit text in the machine's ANSI code page (a file a
//   user saved in Notepad as "ANSI"), as the system reads a non-Unicode file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs {

enum class IniEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

class IniFile {
 public:
  // Characters of the buffer a value is read into, its terminating NUL included.
  static constexpr std::size_t kValueBufferChars = 2048;

  IniFile() = default;
  // 8-bit text without a mark is read in `ansiPage`, which must outlive the
  // file (a backend's page does); without one, in Windows-1252.
  static IniFile FromBytes(std::string_view bytes);
  static IniFile FromBytes(std::string_view bytes, const CodePage& ansiPage);
  // A missing or unreadable file reads as an empty one. 8-bit text is read,
  // and written back, in the backend's ANSI code page.
  static IniFile Load(FileSystemBackend& fs, const std::string& path);

  // The value, or `defaultValue` when the key is missing or has no '='.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // A decimal or "0x" hexadecimal number; anything else reads as the default.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // Any non-zero number is yes.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // Replaces the first matching key's value, or appends the key to the end of
  // its section, or appends the section to the end of the file. The stored
  // text reads back as `value` (quoted when blanks or quotes around it would
  // otherwise be lost); line breaks inside it become blanks so that a value
  // can never add lines to the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  IniEncoding Encoding() const { return m_encoding; }
  // The whole file with CR LF line ends, in its own encoding. An 8-bit file
  // that now holds characters its code page lacks is written as UTF-16LE with
  // a byte-order mark instead of losing them.
  std::string ToBytes() const;

 private:
  enum class LineKind { Blank, Section, Entry };
  struct Line {
    std::u16string text;  // as in the file, without its line break
    LineKind kind = LineKind::Blank;
    std::string name;                     // section or key name, UTF-8
    std::optional<std::u16string> value;  // text after '=', none without '='
  };
  static Line ParseLine(std::u16string text);
  // Index of the first section header of that name, kBeforeFirstLine for the
  // empty name (the lines before any header), or npos.
  static constexpr std::size_t kBeforeFirstLine = static_cast<std::size_t>(-2);
  std::size_t findSection(std::string_view section) const;
  // Index of the first key of that name in the section at `header`, or npos.
  std::size_t findKey(std::size_t header, std::string_view key) const;
  const Line* findEntry(std::string_view section, std::string_view key) const;

  std::vector<Line> m_lines;
  IniEncoding m_encoding = IniEncoding::Ansi;
  const CodePage* m_ansiPage = nullptr;  // Windows-1252 when none
};

// The number forms a settings value may take: optional blanks and sign, then
// decimal digits, or "0x" and hexadecimal digits (up to 32 bits, read as the
// two's complement int). Nothing for any other text, out-of-range numbers
// included.
std::optional<int> ParseIniInteger(std::u16string_view text);

// The quote rule of the profile functions: one pair of matching ' or " around
// the value goes, and the result is cut to fit a buffer of `bufferChars`.
std::u16string ProfileValueForBuffer(std::u16string_view stored, std::size_t bufferChars);

}  // namespace hs
