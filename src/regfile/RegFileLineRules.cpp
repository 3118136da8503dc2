#include "regfile/RegFileLineRules.h"

#include <cctype>

#include "common/CodePage.h"
#include "common/Text.h"
#include "platform/RootKey.h"
#include "regfile/RegFileLines.h"

namespace hs {
namespace {

constexpr std::size_t kShownLength = 200;

std::string_view TrimBlanks(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsHexList(std::string_view text) {
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ',' && c != ' ' && c != '\t')
      return false;
  return true;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

// Checks one line at a time, remembering whether hex data continues.
class LineRules {
 public:
  // Empty when the line is allowed; otherwise why it is not.
  std::string check(std::string_view raw) {
    ++m_number;
    if (raw.find('\0') != std::string_view::npos) return "holds a NUL character";
    // Importers trim different sets of control characters; at a line's ends
    // they could make a continuation line of one what is a value line to another.
    if (!raw.empty() && (IsControl(raw.front()) || IsControl(raw.back())))
      return "begins or ends with a control character";
    const std::string_view line = TrimBlanks(raw);
    if (m_number == 1) return checkHeader(line);
    if (m_continues) return checkContinuation(line);
    if (line.empty()) return {};
    if (line.front() == '[') return checkKey(line);
    if (line.front() == '@' || line.front() == '"') return checkValue(line);
    return "is not a key, value, continuation or blank line";
  }
  int number() const { return m_number; }

 private:
  static std::string checkHeader(std::string_view line) {
    if (line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00") return {};
    return "is not a registry file header";
  }

  std::string checkContinuation(std::string_view line) {
    m_continues = !line.empty() && line.back() == '\\';
    if (m_continues) line.remove_suffix(1);
    return IsHexList(line) ? std::string() : "is not a continuation of hex data";
  }

  std::string checkKey(std::string_view line) {
    if (line.size() < 3 || line.back() != ']') return "is not a key line";
    const std::string_view path = line.substr(1, line.size() - 2);
    if (path.front() == '-') return "deletes a key";
    const std::size_t slash = path.find('\\');
    if (!HiveNameToRootKey(path.substr(0, slash)))
      return "names a hive other than HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
             "HKEY_LOCAL_MACHINE, HKEY_USERS or HKEY_CURRENT_CONFIG";
    if (slash != std::string_view::npos &&
        (path.back() == '\\' || path.find("\\\\") != std::string_view::npos))
      return "names a key with an empty name";
    m_inKey = true;
    return {};
  }

  // The value name is parsed with the reader's escapes, so that a quote or
  // "=-" inside the name cannot hide what follows it.
  std::string checkValue(std::string_view line) {
    if (!m_inKey) return "is a value line before any key line";
    std::size_t pos = 1;
    if (line.front() == '"') {
      while (pos < line.size() && line[pos] != '"') pos += line[pos] == '\\' ? 2 : 1;
      if (pos >= line.size()) return "is a value line without the name's closing quote";
      ++pos;
    }
    const std::string_view rest = TrimBlanks(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return "is a value line without '='";
    const std::string_view data = TrimBlanks(rest.substr(1));
    if (!data.empty() && data.front() == '-') return "deletes a value";
    if (!data.empty() && data.front() == '"') return {};
    if (StartsWithNoCase(data, "dword:")) return {};
    if (StartsWithNoCase(data, "hex:") || StartsWithNoCase(data, "hex(")) {
      m_continues = data.back() == '\\';
      return {};
    }
    return "holds value data that is neither a string, a dword nor hex bytes";
  }

  int m_number = 0;
  bool m_inKey = false;
  bool m_continues = false;
};

}  // namespace

std::optional<LineRuleBreach> FindLineRuleBreach(std::string_view bytes, const CodePage& codePage) {
  // The lines as the reader and the registry editor see them.
  RegFileLines lines(bytes, codePage);
  LineRules rules;
  std::string_view line;
  while (lines.next(line)) {
    std::string why = rules.check(line);
    if (!why.empty())
      return LineRuleBreach{rules.number(), std::string(line.substr(0, kShownLength)),
                            std::move(why)};
  }
  if (rules.number() == 0) return LineRuleBreach{0, {}, "the file is empty"};
  return std::nullopt;
}

std::string DescribeBreach(const LineRuleBreach& breach) {
  if (breach.line == 0) return breach.why;
  return "line " + std::to_string(breach.line) + " \"" + breach.text + "\" " + breach.why;
}

}  // namespace hs
