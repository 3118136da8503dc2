#include "offline/RegExport.h"

#include <cstdio>

#include "common/Text.h"
#include "platform/RegistryLinks.h"

namespace hs::offline {

namespace {

constexpr std::size_t kWrapColumn = 76;  // where the editor breaks hex lines

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// REG_SZ text the "..." form carries exactly: one final NUL, no other NUL,
// no control characters (line breaks would not survive a line-based reader).
bool PlainString(const RegValue& value, std::string& text) {
  if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  std::u16string units = Utf16FromLeBytes(value.data);
  if (units.back() != u'\0') return false;
  units.pop_back();
  for (const char16_t c : units)
    if (c < 0x20) return false;
  return Utf16ToUtf8Exact(units, text);
}

std::string HexLine(std::string line, const std::vector<std::uint8_t>& data) {
  char digits[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", data[i]);
    line += digits;
    if (i + 1 == data.size()) break;
    line += ',';
    const std::size_t lineStart = line.rfind('\n');
    const std::size_t column =
        lineStart == std::string::npos ? line.size() : line.size() - lineStart - 1;
    if (column >= kWrapColumn) line += "\\\r\n  ";
  }
  return line;
}

std::string ToUtf16Le(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t c : units) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

struct Exporter {
  RegistryBackend& registry;
  RootKey root;
  const ExportSink& sink;
  ExportResult result;

  bool fail(const std::string& path, const char* what) {
    result.error = path + ": " + what + " cannot be read";
    return false;
  }

  bool key(const RegKeyHandle& handle, const std::string& path, int depth) {
    if (depth > kMaxKeyDepth) return fail(path, "the tree (too deep)");
    std::vector<RegValue> values;
    if (registry.values(handle, values) != RegStatus::Ok) return fail(path, "its values");
    std::string text = "\r\n[" + path + "]\r\n";
    for (const RegValue& value : values) text += RegValueLine(value) + "\r\n";
    sink(ToUtf16Le(text));
    ++result.keys;
    result.values += values.size();
    std::vector<std::string> names;
    if (registry.subkeyNames(handle, names) != RegStatus::Ok) return fail(path, "its subkeys");
    for (const std::string& name : names) {
      RegKeyPtr child;
      if (registry.openKey(root, &handle, name, RegAccess::Read, false, child,
                           LastLink::OpenLink) != RegStatus::Ok)
        return fail(path + "\\" + name, "the key");
      if (!key(*child, path + "\\" + name, depth + 1)) return false;
    }
    return true;
  }
};

}  // namespace

std::string RegValueLine(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
  std::string text;
  if (PlainString(value, text)) return line + Quoted(text);
  if (value.type == kRegDword && value.data.size() == 4) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%02x%02x%02x%02x", value.data[3], value.data[2],
                  value.data[1], value.data[0]);
    return line + digits;
  }
  if (value.type == kRegBinary) return HexLine(line + "hex:", value.data);
  char type[24];
  std::snprintf(type, sizeof type, "hex(%x):", value.type);
  return HexLine(line + type, value.data);
}

ExportResult ExportRegTree(RegistryBackend& registry, RootKey root, const RegKeyHandle& key,
                           const std::string& name, const ExportSink& sink) {
  sink(std::string("\xFF\xFE", 2) + ToUtf16Le("Windows Registry Editor Version 5.00\r\n"));
  Exporter exporter{registry, root, sink, {}};
  exporter.result.whole = exporter.key(key, name, 0);
  if (exporter.result.whole) sink(ToUtf16Le("\r\n"));
  return exporter.result;
}

}  // namespace hs::offline
