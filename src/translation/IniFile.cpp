#include "translation/IniFile.h"

#include <algorithm>
#include <cstdint>

#include "common/CodePage.h"
#include "common/Text.h"

namespace hs {
namespace {

// The blanks of the profile functions: ASCII white space and the DOS
// end-of-file mark Ctrl-Z. Other Unicode spaces are text.
bool IsProfileSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

std::u16string_view TrimProfileSpace(std::u16string_view text) {
  while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Names and values are C strings to the system: an embedded NUL ends them.
std::u16string_view CutAtNul(std::u16string_view text) {
  return text.substr(0, std::min(text.find(u'\0'), text.size()));
}

std::string NameFromText(std::u16string_view text) {
  return Utf16ToUtf8(CutAtNul(text));
}

// The name asked for, as the profile functions see it.
std::string QueryName(std::string_view name) {
  return Utf16ToUtf8(TrimProfileSpace(Utf8ToUtf16(name)));
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text += bigEndian ? static_cast<char16_t>(first << 8 | second)
                      : static_cast<char16_t>(second << 8 | first);
  }
  return text;
}

const CodePage& Windows1252() {
  static const Windows1252CodePage page;
  return page;
}

std::u16string Decode(std::string_view bytes, const CodePage& ansiPage, IniEncoding& encoding) {
  const auto startsWith = [&](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (startsWith("\xEF\xBB\xBF")) {
    encoding = IniEncoding::Utf8;
    return Utf8ToUtf16(bytes.substr(3));
  }
  if (startsWith("\xFF\xFE")) {
    encoding = IniEncoding::Utf16Le;
    return DecodeUtf16(bytes.substr(2), false);
  }
  if (startsWith("\xFE\xFF")) {
    encoding = IniEncoding::Utf16Be;
    return DecodeUtf16(bytes.substr(2), true);
  }
  encoding = IniEncoding::Ansi;
  return ansiPage.decode(bytes);
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    const auto high = static_cast<char>(c >> 8);
    const auto low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

bool IsQuote(char16_t c) {
  return c == u'"' || c == u'\'';
}

// How a value is stored so that reading gives it back whole.
std::u16string StoredForm(std::string_view value) {
  std::u16string text(CutAtNul(Utf8ToUtf16(value)));
  std::replace(text.begin(), text.end(), u'\r', u' ');
  std::replace(text.begin(), text.end(), u'\n', u' ');
  const bool blankAround =
      !text.empty() && (IsProfileSpace(text.front()) || IsProfileSpace(text.back()));
  const bool looksQuoted = text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
  return (blankAround || looksQuoted) ? u'"' + text + u'"' : text;
}

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::optional<int> ParseIniInteger(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] <= u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const bool hex = text.substr(i, 2) == u"0x";
  if (hex) i += 2;
  const int base = hex ? 16 : 10;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  if (i == text.size()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit < 0 || digit >= base) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  // Two's complement, so 0xFFFFFFFF is -1 and "-2147483648" fits.
  const auto bits = static_cast<std::uint32_t>(negative ? (0 - magnitude) : magnitude);
  return static_cast<int>(static_cast<std::int32_t>(bits));
}

std::u16string ProfileValueForBuffer(std::u16string_view stored, std::size_t bufferChars) {
  std::u16string_view rest = CutAtNul(stored);
  const bool quoted = rest.size() >= 2 && IsQuote(rest.front()) && rest.back() == rest.front();
  if (quoted) rest.remove_prefix(1);
  if (bufferChars == 0) return {};
  std::u16string copy(rest.substr(0, std::min(rest.size(), bufferChars - 1)));
  // The system drops the last copied character whenever the quoted text fits
  // the buffer by its count; at exactly the buffer size that costs one more
  // character than the closing quote. Kept so both readers agree.
  if (quoted && bufferChars >= rest.size() && !copy.empty()) copy.pop_back();
  return copy;
}

IniFile::Line IniFile::ParseLine(std::u16string text) {
  Line line;
  line.text = std::move(text);
  const std::u16string_view content = TrimProfileSpace(line.text);
  if (content.empty()) return line;
  if (content.front() == u'[') {
    const std::size_t close = content.rfind(u']');
    if (close != std::u16string_view::npos) {
      line.kind = LineKind::Section;
      line.name = NameFromText(TrimProfileSpace(content.substr(1, close - 1)));
      return line;
    }
  }
  line.kind = LineKind::Entry;
  const std::size_t equals = content.find(u'=');
  if (equals == std::u16string_view::npos) {
    line.name = NameFromText(content);
    return line;
  }
  line.name = NameFromText(TrimProfileSpace(content.substr(0, equals)));
  std::u16string_view value = content.substr(equals + 1);
  while (!value.empty() && IsProfileSpace(value.front())) value.remove_prefix(1);
  line.value = std::u16string(CutAtNul(value));
  return line;
}

IniFile IniFile::FromBytes(std::string_view bytes) {
  return FromBytes(bytes, Windows1252());
}

IniFile IniFile::FromBytes(std::string_view bytes, const CodePage& ansiPage) {
  IniFile file;
  file.m_ansiPage = &ansiPage;
  const std::u16string text = Decode(bytes, ansiPage, file.m_encoding);
  // A line ends at CR LF, LF or a lone CR.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    file.m_lines.push_back(ParseLine(text.substr(start, end - start)));
    start = end;
    if (start < text.size() && text[start] == u'\r') ++start;
    if (start < text.size() && text[start] == u'\n') ++start;
  }
  return file;
}

IniFile IniFile::Load(FileSystemBackend& fs, const std::string& path) {
  std::string bytes;
  if (fs.readFile(path, bytes) != FsStatus::Ok) bytes.clear();
  return FromBytes(bytes, fs.ansiCodePage());
}

std::size_t IniFile::findSection(std::string_view section) const {
  const std::string wanted = QueryName(section);
  // The nameless lines before the first header answer to the empty name.
  if (wanted.empty()) return kBeforeFirstLine;
  for (std::size_t i = 0; i < m_lines.size(); ++i)
    if (m_lines[i].kind == LineKind::Section && AsciiEqualsNoCase(m_lines[i].name, wanted))
      return i;
  return std::string::npos;
}

std::size_t IniFile::findKey(std::size_t header, std::string_view key) const {
  const std::string wanted = QueryName(key);
  if (wanted.empty()) return std::string::npos;
  const std::size_t first = header == kBeforeFirstLine ? 0 : header + 1;
  for (std::size_t i = first; i < m_lines.size(); ++i) {
    if (m_lines[i].kind == LineKind::Section) break;
    if (m_lines[i].kind == LineKind::Entry && AsciiEqualsNoCase(m_lines[i].name, wanted)) return i;
  }
  return std::string::npos;
}

const IniFile::Line* IniFile::findEntry(std::string_view section, std::string_view key) const {
  const std::size_t header = findSection(section);
  if (header == std::string::npos) return nullptr;
  const std::size_t index = findKey(header, key);
  return index == std::string::npos ? nullptr : &m_lines[index];
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  const Line* entry = findEntry(section, key);
  return entry && entry->value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Line* entry = findEntry(section, key);
  if (!entry || !entry->value) return std::string(defaultValue);
  return Utf16ToUtf8(ProfileValueForBuffer(*entry->value, kValueBufferChars));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const Line* entry = findEntry(section, key);
  if (!entry || !entry->value) return defaultValue;
  return ParseIniInteger(ProfileValueForBuffer(*entry->value, kValueBufferChars))
      .value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionName = QueryName(section);
  const std::string keyName = QueryName(key);
  if (sectionName.empty() || keyName.empty()) return;
  const std::u16string stored = StoredForm(value);
  const std::size_t header = findSection(sectionName);
  if (header == std::string::npos) {
    if (!m_lines.empty() && m_lines.back().kind != LineKind::Blank) m_lines.push_back(Line());
    m_lines.push_back(ParseLine(u'[' + Utf8ToUtf16(sectionName) + u']'));
    m_lines.push_back(ParseLine(Utf8ToUtf16(keyName) + u'=' + stored));
    return;
  }
  const std::size_t index = findKey(header, keyName);
  if (index != std::string::npos) {
    m_lines[index] = ParseLine(Utf8ToUtf16(m_lines[index].name) + u'=' + stored);
    return;
  }
  std::size_t lastOfSection = header;
  for (std::size_t i = header + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section; ++i)
    if (m_lines[i].kind != LineKind::Blank) lastOfSection = i;
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(lastOfSection + 1),
                 ParseLine(Utf8ToUtf16(keyName) + u'=' + stored));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::ToBytes() const {
  std::u16string text;
  for (const Line& line : m_lines) text += line.text + u"\r\n";
  switch (m_encoding) {
    case IniEncoding::Utf8:
      return "\xEF\xBB\xBF" + Utf16ToUtf8(text);
    case IniEncoding::Utf16Le:
      return EncodeUtf16(text, false);
    case IniEncoding::Utf16Be:
      return EncodeUtf16(text, true);
    case IniEncoding::Ansi:
      break;
  }
  std::string ansi;
  if ((m_ansiPage ? *m_ansiPage : Windows1252()).encode(text, ansi)) return ansi;
  return EncodeUtf16(text, false);
}

}  // namespace hs
