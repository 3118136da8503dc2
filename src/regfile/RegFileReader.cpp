#include "regfile/RegFileReader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/Text.h"
#include "regfile/HexDataParser.h"
#include "regfile/RegFileLines.h"

namespace hs {
namespace {

constexpr const char* kHeader4 = "REGEDIT4";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";

std::string_view TrimView(std::string_view text) {
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

class Parser {
 public:
  Parser(RegFileLines& lines, const CodePage& codePage, const RegFileSectionSink& sink,
         RegFileError& error)
      : m_lines(lines), m_codePage(codePage), m_sink(sink), m_error(error) {}

  bool unicode() const { return m_out.unicode; }

  bool run() {
    if (!parseHeader()) return false;
    std::string_view raw;
    while (m_lines.next(raw)) {
      const int lineNo = m_lines.number();
      const std::string_view line = TrimView(raw);
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        if (!parseSection(line, lineNo)) return false;
      } else if (!parseValueLine(line, lineNo)) {
        return false;
      }
    }
    emitSection();
    return true;
  }

 private:
  // A section is handed on once the next one begins (or the file ends), so
  // that only one is held at a time.
  void emitSection() {
    if (!m_hasCurrent) return;
    m_sink(std::move(m_current));
    m_current = RegFileSection{};
    m_hasCurrent = false;
  }

  bool fail(int line, std::string message) {
    m_error.line = line;
    m_error.message = std::move(message);
    return false;
  }

  // The header is the first line; the system's importer skips only blanks
  // before it and takes nothing else as a header.
  bool parseHeader() {
    std::string_view first;
    if (!m_lines.next(first)) return fail(0, "the file is empty");
    first.remove_prefix(std::min(first.find_first_not_of(" \t"), first.size()));
    if (first == kHeader4) {
      m_out.unicode = false;
    } else if (first == kHeader5) {
      m_out.unicode = true;
    } else {
      return fail(1, "not a registry file: unknown header");
    }
    return true;
  }

  // The key name runs to the last ']' of the line, as the importer reads it.
  bool parseSection(std::string_view line, int lineNo) {
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
      return fail(lineNo, "key line without closing ']'");
    std::string_view path = line.substr(1, close - 1);
    RegFileSection section;
    section.line = lineNo;
    section.offset = m_lines.lineStart();
    if (!path.empty() && path[0] == '-') {
      section.remove = true;
      path.remove_prefix(1);
    }
    if (path.empty()) return fail(lineNo, "empty key name");
    section.keyPath = std::string(path);
    emitSection();
    m_current = std::move(section);
    m_hasCurrent = true;
    return true;
  }

  // Parses a quoted string starting at text[pos] (the opening quote); returns
  // the unescaped text and moves pos past the closing quote. Escapes as the
  // system's importer reads them: \n and \r are line breaks, \0 is refused,
  // any other escaped character stands for itself.
  bool parseQuoted(std::string_view text, std::size_t& pos, std::string& out, int lineNo) {
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

  bool parseValueLine(std::string_view raw, int lineNo) {
    if (!m_hasCurrent) return fail(lineNo, "value outside of any key");
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
    if (pos >= raw.size() || raw[pos] != '=')
      return fail(lineNo, "expected '=' after the value name");
    const std::string_view data = TrimView(raw.substr(pos + 1));
    if (!parseData(data, entry, lineNo)) return false;
    m_current.values.push_back(std::move(entry));
    return true;
  }

  bool parseData(std::string_view data, RegFileValue& entry, int lineNo) {
    RegValue& value = entry.value;
    if (StartsWithNoCase(data, "hex")) return parseHex(data.substr(3), value, lineNo);
    if (data == "-") {
      entry.remove = true;
      return true;
    }
    if (!data.empty() && data[0] == '"') {
      std::size_t pos = 0;
      std::string text;
      if (!parseQuoted(data, pos, text, lineNo)) return false;
      const std::string_view rest = TrimView(data.substr(pos));
      if (!rest.empty() && rest[0] != ';') return fail(lineNo, "text after the closing quote");
      value.type = kRegSz;
      value.data = Utf16LeBytes(Utf8ToUtf16(text));
      return true;
    }
    if (StartsWithNoCase(data, "dword:")) return parseDword(data.substr(6), value, lineNo);
    return fail(lineNo, "unknown value data: " + std::string(data.substr(0, 40)));
  }

  bool parseDword(std::string_view digits, RegValue& value, int lineNo) {
    if (digits.empty() || digits.size() > 8) return fail(lineNo, "bad dword");
    for (char c : digits)
      if (!std::isxdigit(static_cast<unsigned char>(c))) return fail(lineNo, "bad dword");
    const unsigned long number = std::strtoul(std::string(digits).c_str(), nullptr, 16);
    value.type = kRegDword;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    return true;
  }

  // Hex data continues over the following lines while its text ends in a
  // backslash; blanks around each line do not count. The trailing
  // backslashes are held back until it is known whether a line follows that
  // they join (a blank line joins and leaves the text ending as before).
  bool parseHex(std::string_view first, RegValue& value, int lineNo) {
    HexDataParser hex;
    std::size_t heldBackslashes = 0;
    const auto feed = [&](std::string_view segment) {
      for (char c : segment) {
        if (c == '\\') {
          ++heldBackslashes;
          continue;
        }
        for (; heldBackslashes > 0; --heldBackslashes)
          if (!hex.feed('\\')) return false;
        if (!hex.feed(c)) return false;
      }
      return true;
    };
    bool fed = feed(first);
    std::string_view next;
    while (fed && heldBackslashes > 0 && m_lines.next(next)) {
      --heldBackslashes;
      fed = feed(TrimView(next));
    }
    for (; fed && heldBackslashes > 0; --heldBackslashes) fed = hex.feed('\\');
    if (!fed || !hex.finish()) return fail(lineNo, hex.error());
    value.type = hex.type();
    value.data = convertHexStrings(value.type, hex.takeBytes());
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
    const std::u16string text = m_codePage.decode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::vector<std::uint8_t>().swap(bytes);  // freed before the UTF-16 copy is made
    return Utf16LeBytes(text, false);
  }

  RegFileLines& m_lines;
  const CodePage& m_codePage;
  const RegFileSectionSink& m_sink;
  RegFile m_out;             // the header's facts; sections go to the sink
  RegFileSection m_current;  // while m_hasCurrent
  bool m_hasCurrent = false;
  RegFileError& m_error;
};

}  // namespace

bool ParseRegFile(const std::string& bytes, const CodePage& codePage, RegFile& out,
                  RegFileError& error) {
  out = RegFile{};
  const RegFileSectionSink keep = [&out](RegFileSection&& section) {
    out.sections.push_back(std::move(section));
  };
  return ParseRegFileSections(bytes, codePage, keep, error, &out.unicode);
}

bool ParseRegFileSections(const std::string& bytes, const CodePage& codePage,
                          const RegFileSectionSink& sink, RegFileError& error, bool* unicode) {
  error = RegFileError{};
  RegFileLines lines(bytes, codePage);
  Parser parser(lines, codePage, sink, error);
  const bool parsed = parser.run();
  if (unicode) *unicode = parser.unicode();
  return parsed;
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
