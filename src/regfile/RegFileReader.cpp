#include "regfile/RegFileReader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/CodePage.h"
#include "common/Text.h"

namespace hs {
namespace {

constexpr const char* kHeader4 = "REGEDIT4";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";

// Turns the file's bytes into UTF-8 text.
std::string DecodeFile(const std::string& bytes, bool& unicodeEncoding) {
  unicodeEncoding = false;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    unicodeEncoding = true;
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return Utf16ToUtf8(text);
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    unicodeEncoding = true;
    return bytes.substr(3);
  }
  return Utf16ToUtf8(AnsiToUtf16(bytes));
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(current);
      current.clear();
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += text[i];
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

class Parser {
 public:
  Parser(std::vector<std::string> lines, RegFile& out, RegFileError& error)
      : m_lines(std::move(lines)), m_out(out), m_error(error) {}

  bool run() {
    if (!parseHeader()) return false;
    while (m_index < m_lines.size()) {
      const int lineNo = static_cast<int>(m_index) + 1;
      std::string line = Trim(m_lines[m_index++]);
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        if (!parseSection(line, lineNo)) return false;
      } else if (!parseValueLine(line, lineNo)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool fail(int line, std::string message) {
    m_error.line = line;
    m_error.message = std::move(message);
    return false;
  }

  // The header is the first line; the system's importer skips only blanks
  // before it and takes nothing else as a header.
  bool parseHeader() {
    if (m_lines.empty()) return fail(0, "the file is empty");
    const std::string& first = m_lines[0];
    const std::size_t start = std::min(first.find_first_not_of(" \t"), first.size());
    const std::string header = first.substr(start);
    if (header == kHeader4) {
      m_out.unicode = false;
    } else if (header == kHeader5) {
      m_out.unicode = true;
    } else {
      return fail(static_cast<int>(m_index) + 1, "not a registry file: unknown header");
    }
    ++m_index;
    return true;
  }

  // The key name runs to the last ']' of the line, as the importer reads it.
  bool parseSection(const std::string& line, int lineNo) {
    const std::size_t close = line.rfind(']');
    if (close == std::string::npos || close == 0) return fail(lineNo, "key line without closing ']'");
    std::string path = line.substr(1, close - 1);
    RegFileSection section;
    section.line = lineNo;
    if (!path.empty() && path[0] == '-') {
      section.remove = true;
      path.erase(0, 1);
    }
    if (path.empty()) return fail(lineNo, "empty key name");
    section.keyPath = path;
    m_out.sections.push_back(std::move(section));
    return true;
  }

  // A value's text may continue over following lines ending in a backslash.
  std::string joinContinuations(std::string text) {
    while (!text.empty() && text.back() == '\\' && m_index < m_lines.size()) {
      text.pop_back();
      text += Trim(m_lines[m_index++]);
    }
    return text;
  }

  // Parses a quoted string starting at text[pos] (the opening quote); returns
  // the unescaped text and moves pos past the closing quote. Escapes as the
  // system's importer reads them: \n and \r are line breaks, \0 is refused,
  // any other escaped character stands for itself.
  bool parseQuoted(const std::string& text, std::size_t& pos, std::string& out, int lineNo) {
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
      const char c = text[pos];
      if (c == '"') {
        ++pos;
        return true;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++pos >= text.size()) break;
      const char escaped = text[pos];
      if (escaped == '0') return fail(lineNo, "escaped NUL in a quoted string");
      out += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
    }
    return fail(lineNo, "missing closing quote");
  }

  bool parseValueLine(const std::string& raw, int lineNo) {
    if (m_out.sections.empty()) return fail(lineNo, "value outside of any key");
    RegFileValue entry;
    std::size_t pos = 0;
    if (raw[0] == '@') {
      pos = 1;
    } else if (raw[0] == '"') {
      if (!parseQuoted(raw, pos, entry.value.name, lineNo)) return false;
    } else {
      return fail(lineNo, "expected a value name in quotes or @");
    }
    while (pos < raw.size() && (raw[pos] == ' ' || raw[pos] == '\t')) ++pos;
    if (pos >= raw.size() || raw[pos] != '=') return fail(lineNo, "expected '=' after the value name");
    std::string data = Trim(raw.substr(pos + 1));
    if (StartsWithNoCase(data, "hex")) data = joinContinuations(data);
    if (!parseData(data, entry, lineNo)) return false;
    m_out.sections.back().values.push_back(std::move(entry));
    return true;
  }

  bool parseData(const std::string& data, RegFileValue& entry, int lineNo) {
    RegValue& value = entry.value;
    if (data == "-") {
      entry.remove = true;
      return true;
    }
    if (!data.empty() && data[0] == '"') {
      std::size_t pos = 0;
      std::string text;
      if (!parseQuoted(data, pos, text, lineNo)) return false;
      const std::string rest = Trim(data.substr(pos));
      if (!rest.empty() && rest[0] != ';') return fail(lineNo, "text after the closing quote");
      value.type = kRegSz;
      value.data = Utf16LeBytes(Utf8ToUtf16(text));
      return true;
    }
    if (StartsWithNoCase(data, "dword:")) return parseDword(data.substr(6), value, lineNo);
    if (StartsWithNoCase(data, "hex")) return parseHex(data.substr(3), value, lineNo);
    return fail(lineNo, "unknown value data: " + data.substr(0, 40));
  }

  bool parseDword(const std::string& digits, RegValue& value, int lineNo) {
    if (digits.empty() || digits.size() > 8) return fail(lineNo, "bad dword");
    for (char c : digits)
      if (!std::isxdigit(static_cast<unsigned char>(c))) return fail(lineNo, "bad dword");
    const unsigned long number = std::strtoul(digits.c_str(), nullptr, 16);
    value.type = kRegDword;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    return true;
  }

  bool parseHex(const std::string& rest, RegValue& value, int lineNo) {
    std::size_t pos = 0;
    value.type = kRegBinary;
    if (!rest.empty() && rest[0] == '(') {
      const std::size_t close = rest.find(')');
      if (close == std::string::npos || close == 1) return fail(lineNo, "bad hex(type)");
      const std::string typeText = rest.substr(1, close - 1);
      for (char c : typeText)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return fail(lineNo, "bad hex(type)");
      value.type = static_cast<std::uint32_t>(std::strtoul(typeText.c_str(), nullptr, 16));
      pos = close + 1;
    }
    if (pos >= rest.size() || rest[pos] != ':') return fail(lineNo, "expected ':' after hex");
    std::vector<std::uint8_t> bytes;
    if (!parseHexBytes(rest.substr(pos + 1), bytes)) return fail(lineNo, "bad hex byte list");
    value.data = convertHexStrings(value.type, bytes);
    return true;
  }

  static bool parseHexBytes(const std::string& list, std::vector<std::uint8_t>& out) {
    std::string compact;
    for (char c : list)
      if (c != ' ' && c != '\t') compact += c;
    if (compact.empty()) return true;
    for (const std::string& item : Split(compact, ',')) {
      if (item.empty() || item.size() > 2) return false;
      for (char c : item)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
      out.push_back(static_cast<std::uint8_t>(std::strtoul(item.c_str(), nullptr, 16)));
    }
    return true;
  }

  // String types given as hex get a final NUL when their data does not end in
  // one; in REGEDIT4 files they hold 8-bit code page text that the registry
  // keeps as UTF-16. This is what the system's importer stores.
  std::vector<std::uint8_t> convertHexStrings(std::uint32_t type,
                                              std::vector<std::uint8_t> bytes) const {
    const bool stringType = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
    if (!stringType || bytes.empty()) return bytes;
    if (m_out.unicode) {
      if (bytes.size() >= 2 && (bytes[bytes.size() - 2] != 0 || bytes.back() != 0))
        bytes.insert(bytes.end(), {0, 0});
      return bytes;
    }
    if (bytes.back() != 0) bytes.push_back(0);
    const std::string ansi(bytes.begin(), bytes.end());
    return Utf16LeBytes(AnsiToUtf16(ansi), false);
  }

  std::vector<std::string> m_lines;
  std::size_t m_index = 0;
  RegFile& m_out;
  RegFileError& m_error;
};

}  // namespace

bool ParseRegFile(const std::string& bytes, RegFile& out, RegFileError& error) {
  out = RegFile{};
  error = RegFileError{};
  bool unicodeEncoding = false;
  const std::string text = DecodeFile(bytes, unicodeEncoding);
  Parser parser(SplitLines(text), out, error);
  return parser.run();
}

std::size_t IntactLength(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE)
    return bytes.size();
  std::size_t end = bytes.find_last_of("\r\n");
  end = end == std::string::npos ? 0 : end + 1;
  // Lines that end in a backslash belong to a value whose last line is missing.
  while (end > 0) {
    std::size_t contentEnd = end;
    while (contentEnd > 0 && (bytes[contentEnd - 1] == '\r' || bytes[contentEnd - 1] == '\n'))
      --contentEnd;
    std::size_t lineStart = bytes.find_last_of("\r\n", contentEnd == 0 ? 0 : contentEnd - 1);
    lineStart = (lineStart == std::string::npos || contentEnd == 0) ? 0 : lineStart + 1;
    const std::string line = Trim(bytes.substr(lineStart, contentEnd - lineStart));
    if (line.empty() || line.back() != '\\') break;
    end = lineStart;
  }
  return end;
}

}  // namespace hs
