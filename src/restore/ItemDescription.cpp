#include "restore/ItemDescription.h"

#include <cstdint>

#include "common/Text.h"
#include "platform/TRegistry.h"

namespace hs {
namespace {

constexpr std::size_t kShownCharacters = 80;
constexpr std::size_t kShownBytes = 16;

std::string TypeName(std::uint32_t type) {
  static const char* const kNames[] = {"REG_NONE",
                                       "REG_SZ",
                                       "REG_EXPAND_SZ",
                                       "REG_BINARY",
                                       "REG_DWORD",
                                       "REG_DWORD_BIG_ENDIAN",
                                       "REG_LINK",
                                       "REG_MULTI_SZ",
                                       "REG_RESOURCE_LIST",
                                       "REG_FULL_RESOURCE_DESCRIPTOR",
                                       "REG_RESOURCE_REQUIREMENTS_LIST",
                                       "REG_QWORD"};
  if (type < std::size(kNames)) return kNames[type];
  return "type " + std::to_string(type);
}

std::string Shortened(std::string text) {
  if (text.size() <= kShownCharacters) return text;
  std::size_t cut = kShownCharacters;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // UTF-8
  return text.substr(0, cut) + "...";
}

std::string Quoted(const std::string& text) {
  return "\"" + Shortened(text) + "\"";
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < data.size() && i < kShownBytes; ++i) {
    text += i ? " " : "";
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  if (data.size() > kShownBytes) text += " ...";
  return text + (text.empty() ? "(" : " (") + std::to_string(data.size()) +
         (data.size() == 1 ? " byte)" : " bytes)");
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data) {
  std::uint64_t number = 0;
  for (std::size_t i = data.size(); i-- > 0;) number = number << 8 | data[i];
  return number;
}

std::string HexNumber(std::uint64_t number, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits; i-- > 0; number >>= 4)
    text[static_cast<std::size_t>(i)] = kDigits[number & 15];
  return "0x" + text;
}

// The strings of REG_MULTI_SZ data, each quoted, up to its empty string.
std::string MultiStrings(const std::vector<std::uint8_t>& data) {
  std::string text;
  std::u16string current;
  const auto flush = [&] {
    text += (text.empty() ? "" : ", ") + Quoted(Utf16ToUtf8(current));
    current.clear();
  };
  for (std::size_t i = 0; i + 1 < data.size() && text.size() <= kShownCharacters; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit != 0) {
      current += unit;
    } else if (current.empty()) {
      return text;
    } else {
      flush();
    }
  }
  if (!current.empty()) flush();
  return text.size() > kShownCharacters ? text + ", ..." : text;
}

std::string DataText(const RegValue& value) {
  switch (value.type) {
    case kRegSz:
    case kRegExpandSz:
      return Quoted(RegDataToText(value.data));
    case kRegMultiSz:
      return MultiStrings(value.data);
    case kRegDword:
      if (value.data.size() != 4) break;
      return HexNumber(LittleEndian(value.data), 8) + " (" +
             std::to_string(LittleEndian(value.data)) + ")";
    case kRegQword:
      if (value.data.size() != 8) break;
      return HexNumber(LittleEndian(value.data), 16) + " (" +
             std::to_string(LittleEndian(value.data)) + ")";
    default:
      break;
  }
  return HexBytes(value.data);
}

}  // namespace

std::string DescribeValueData(const RegValue& value) {
  return TypeName(value.type) + " " + DataText(value);
}

std::string DescribeKeys(std::size_t keyCount, std::size_t valueCount) {
  return std::to_string(keyCount) + (keyCount == 1 ? " key, " : " keys, ") +
         std::to_string(valueCount) + (valueCount == 1 ? " value" : " values");
}

}  // namespace hs
