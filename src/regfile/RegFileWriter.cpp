#include "regfile/RegFileWriter.h"

#include <ctime>

#include "common/CodePage.h"
#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/SharedHelpers.h"
#include "platform/TRegistry.h"

namespace hs {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kHexDigits = "0123456789ABCDEF";

// Engine text (UTF-8) in the file's code page; throws when it cannot be held.
std::string ToCodePage(std::string_view text, const std::string& what, const CodePage& codePage) {
  std::string bytes;
  if (!codePage.encode(Utf8ToUtf16(text), bytes))
    throw UnrepresentableError(what + " holds characters that a REGEDIT4 file cannot carry");
  return bytes;
}

// Names and key paths live on one line: a line break would split them.
void RequireSingleLine(std::string_view text, const std::string& what) {
  for (char c : text)
    if (c == '\r' || c == '\n' || c == '\0')
      throw UnrepresentableError(what +
                                 " holds a line break or NUL that a REGEDIT4 file cannot carry");
}

std::string KeyLine(RootKey root, const std::string& keyPath, const CodePage& codePage) {
  const std::string what = "the key name \"" + keyPath + "\"";
  RequireSingleLine(keyPath, what);
  return "[" + RootKeyToHiveName(root) + "\\" + ToCodePage(keyPath, what, codePage) + "]";
}

// Escaped before it is encoded: in a double-byte code page the second byte of
// a character may be a backslash or a quote, and the importer unescapes the
// decoded line, not its bytes.
std::string NamePart(const std::string& name, const CodePage& codePage) {
  if (name.empty()) return "@";
  const std::string what = "the value name \"" + name + "\"";
  RequireSingleLine(name, what);
  return "\"" + ToCodePage(EscapeRegString(name), what, codePage) + "\"";
}

// EscapeRegString on UTF-16 text, which may hold what UTF-8 cannot.
std::u16string EscapeRegText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  return out;
}

// "hex:" / "hex(N):" and the bytes, broken after the comma that follows every
// byte whose index is a positive multiple of 25, the last byte excepted.
std::string HexPart(const std::string& tag, const std::vector<std::uint8_t>& bytes) {
  std::string out = tag;
  out.reserve(tag.size() + bytes.size() * 3 + bytes.size() / 25 * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += kHexDigits[bytes[i] >> 4];
    out += kHexDigits[bytes[i] & 0xF];
    if (i + 1 == bytes.size()) break;
    out += ',';
    if (i > 0 && i % 25 == 0) out += "\\\r\n";
  }
  return out;
}

std::string HexTypeTag(std::uint32_t type) {
  static constexpr const char* kLower = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kLower[type & 0xF]);
    type >>= 4;
  } while (type != 0);
  return "hex(" + digits + "):";
}

// String data as the UTF-16 units it holds; odd sizes cannot be carried.
std::u16string StringUnits(const RegValue& value) {
  if (value.data.size() % 2 != 0)
    throw UnrepresentableError(
        "the value \"" + value.name +
        "\" holds string data of odd length that a REGEDIT4 file cannot carry");
  return Utf16FromLeBytes(value.data);
}

// The one-byte-per-character image of string data, as hex(1), hex(2) and
// hex(7) carry it. The importer adds a NUL to data that does not end in one,
// so such data cannot come back unchanged.
std::vector<std::uint8_t> CodePageStringBytes(const RegValue& value, const CodePage& codePage) {
  const std::u16string units = StringUnits(value);
  if (!units.empty() && units.back() != 0)
    throw UnrepresentableError(
        "the value \"" + value.name +
        "\" holds a string without its final NUL that a REGEDIT4 file cannot carry");
  std::string bytes;
  if (!codePage.encode(units, bytes))
    throw UnrepresentableError("the data of the value \"" + value.name +
                               "\" holds characters that a REGEDIT4 file cannot carry");
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// A REG_SZ keeps the quoted form when the quoted form gives back the same
// bytes: one final NUL, no NUL before it, no line break.
bool FitsQuotedForm(const std::u16string& units) {
  if (units.empty() || units.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < units.size(); ++i)
    if (units[i] == 0 || units[i] == u'\r' || units[i] == u'\n') return false;
  return true;
}

std::string DwordPart(const std::vector<std::uint8_t>& data) {
  const std::uint32_t number =
      static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
      (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  std::string out = "dword:";
  for (int shift = 28; shift >= 0; shift -= 4) out += kHexDigits[(number >> shift) & 0xF];
  return out;
}

std::string DataPart(const RegValue& value, const CodePage& codePage) {
  switch (value.type) {
    case kRegSz: {
      const std::u16string units = StringUnits(value);
      if (!FitsQuotedForm(units))
        return HexPart(HexTypeTag(kRegSz), CodePageStringBytes(value, codePage));
      std::string text;
      const std::u16string_view content(units.data(), units.size() - 1);
      if (!codePage.encode(EscapeRegText(content), text))
        throw UnrepresentableError("the data of the value \"" + value.name +
                                   "\" holds characters that a REGEDIT4 file cannot carry");
      return "\"" + text + "\"";
    }
    case kRegExpandSz:
    case kRegMultiSz:
      return HexPart(HexTypeTag(value.type), CodePageStringBytes(value, codePage));
    case kRegDword:
      if (value.data.size() == 4) return DwordPart(value.data);
      return HexPart(HexTypeTag(kRegDword), value.data);
    case kRegBinary:
      return HexPart("hex:", value.data);
    default:
      return HexPart(HexTypeTag(value.type), value.data);
  }
}

// The recursive step: shares the registry, the root and the export mode.
class SectionWriter {
 public:
  SectionWriter(RegistryBackend& registry, RootKey root, const std::string& valueName,
                bool wholeKey, const CodePage& codePage)
      : m_registry(registry),
        m_root(root),
        m_valueName(valueName),
        m_wholeKey(wholeKey),
        m_codePage(codePage) {}

  void WriteKeySection(const std::string& keyPath, int depth = 0) {
    TRegistry key(m_registry, m_root, RegAccess::Read);
    // A whole key is read as it is, links included: a link is no tree to
    // follow but an item of its own, which the registry editor would import
    // as a plain key.
    const LastLink last = m_wholeKey ? LastLink::OpenLink : LastLink::Follow;
    if (!key.OpenPath("\\" + keyPath, false, last)) {
      m_out += FormatKeySection(m_root, keyPath, {}, m_codePage);  // a key line alone
      return;
    }
    if (!m_wholeKey) {
      RegValue value;
      std::vector<RegValue> values;
      if (key.RawValue(m_valueName, value)) values.push_back(std::move(value));
      m_out += FormatKeySection(m_root, keyPath, values, m_codePage);
      return;
    }
    const std::vector<RegValue> values = key.ValueList();
    if (HoldsLinkValue(values))
      throw UnrepresentableError("the key " + RootKeyToHiveName(m_root) + "\\" + keyPath +
                                 " is a registry link, which a REGEDIT4 file cannot recreate");
    if (depth >= kMaxKeyDepth)
      throw UnrepresentableError("the key " + RootKeyToHiveName(m_root) + "\\" + keyPath +
                                 " lies deeper than the registry allows");
    const std::vector<std::string> subkeys = key.SubkeyNameList();
    m_out += FormatKeySection(m_root, keyPath, values, m_codePage);
    // Closed before any subkey is visited: each subkey is opened by its full
    // path, never relative to a key still open.
    key.ClosePath();
    for (const std::string& subkey : subkeys) WriteKeySection(keyPath + "\\" + subkey, depth + 1);
  }

  std::string Take() { return std::move(m_out); }

 private:
  RegistryBackend& m_registry;
  RootKey m_root;
  const std::string& m_valueName;
  bool m_wholeKey;
  const CodePage& m_codePage;
  std::string m_out;
};

void Require(FileSystemBackend& fs, FsStatus status, const std::string& what,
             const std::string& fileName) {
  if (status == FsStatus::Ok) return;
  const std::string reason = FsFailureReason(fs, status);
  throw BackupWriteError(what + " of the backup file " + fileName + " failed" +
                         (reason.empty() ? "" : ": " + reason));
}

}  // namespace

std::string EscapeRegString(std::string_view text) {
  std::string doubled;
  doubled.reserve(text.size() + 8);
  for (char c : text) {
    doubled += c;
    if (c == '\\') doubled += '\\';
  }
  std::string out;
  out.reserve(doubled.size() + 8);
  for (char c : doubled) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string FormatValueLine(const RegValue& value, const CodePage& codePage) {
  return NamePart(value.name, codePage) + "=" + DataPart(value, codePage);
}

std::string FormatKeySection(RootKey root, const std::string& keyPath,
                             const std::vector<RegValue>& values, const CodePage& codePage) {
  std::string out = kCrLf;
  out += KeyLine(root, keyPath, codePage);
  out += kCrLf;
  for (const RegValue& value : values) {
    out += FormatValueLine(value, codePage);
    out += kCrLf;
  }
  return out;
}

std::string FormatExport(RegistryBackend& registry, RootKey root, std::string keyPath,
                         const std::string& valueName, bool wholeKey, const CodePage& codePage) {
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  SectionWriter writer(registry, root, valueName, wholeKey, codePage);
  writer.WriteKeySection(keyPath);
  return writer.Take();
}

ExportResult ExportRegistryItem(FileSystemBackend& fs, RegistryBackend& registry,
                                const std::string& fileName, RootKey root,
                                const std::string& keyPath, const std::string& valueName,
                                bool wholeKey) {
  // Formatted first: an item the file cannot carry leaves the file untouched.
  return AppendToBackup(
      fs, fileName, FormatExport(registry, root, keyPath, valueName, wholeKey, fs.ansiCodePage()));
}

ExportResult AppendToBackup(FileSystemBackend& fs, const std::string& fileName,
                            const std::string& sections) {
  ExportResult result;
  result.created = fs.probe(fileName) != PathProbe::File;
  std::unique_ptr<FileWriter> file;
  Require(fs, fs.openForWrite(fileName, !result.created, file), "Opening", fileName);
  std::string bytes = result.created ? std::string("REGEDIT4") + kCrLf : std::string();
  bytes += sections;
  Require(fs, file->write(bytes), "Writing", fileName);
  Require(fs, file->flush(), "Flushing", fileName);
  result.bytesWritten = bytes.size();
  return result;
}

LocalDateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (!local) return {};
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
          local->tm_hour,        local->tm_min,     local->tm_sec};
}

std::string MakeBackupFileName(const std::string& folder, const LocalDateTime& when) {
  std::string name = folder;
  if (name.empty() || (name.back() != '\\' && name.back() != '/')) name += '\\';
  return name + "Backup" + std::to_string(when.year) + TwoDigits(when.month) + TwoDigits(when.day) +
         TwoDigits(when.hour) + TwoDigits(when.minute) + TwoDigits(when.second) + ".reg";
}

std::string MakeBackupFileName(const std::string& folder) {
  return MakeBackupFileName(folder, LocalNow());
}

}  // namespace hs
