#include "offline/posix/HiveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/Text.h"

namespace hs::offline {

namespace {

constexpr std::uint16_t kKeySymLink = 0x0010;
constexpr std::uint16_t kKeyCompressedName = 0x0020;
constexpr std::uint16_t kValueCompressedName = 0x0001;
// Offsets inside a cell, counted from its size field.
constexpr std::size_t kNodeFlags = 6, kNodeNameLength = 76, kNodeName = 80;
constexpr std::size_t kValueNameLength = 6, kValueFlags = 20, kValueName = 24;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string Latin1ToUtf8(std::span<const std::uint8_t> text) {
  std::string out;
  out.reserve(text.size());
  for (const std::uint8_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool WindowsOrder(const HiveChild& a, const HiveChild& b) {
  return a.folded < b.folded;
}

}  // namespace

HiveFile::HiveFile(LoadedHive hive, hive_h* handle, bool writable)
    : state_(std::move(hive.state)),
      image_(std::move(hive.image)),
      handle_(handle),
      writable_(writable) {
  if (!writable_)
    readOnlyReason_ = state_.stale() ? state_.path +
                                           " is dirty and its transaction logs cannot be "
                                           "replayed: it is never written"
                                     : state_.path + " is opened for reading only";
}

HiveFile::~HiveFile() {
  hivex_close(handle_);
}

std::unique_ptr<HiveFile> HiveFile::Open(LoadedHive hive, std::string& error, bool forWriting) {
  // Only the whole hive may be written: a stale primary would drop what
  // its logs hold.
  const bool writable = forWriting && !hive.state.stale();
  errno = 0;
  hive_h* handle = hivex_open(hive.image.procPath().c_str(), writable ? HIVEX_OPEN_WRITE : 0);
  if (!handle) {
    error = errno ? std::strerror(errno) : "not a readable hive";
    return nullptr;
  }
  return std::unique_ptr<HiveFile>(new HiveFile(std::move(hive), handle, writable));
}

HiveNode HiveFile::root() const {
  return hivex_root(handle_);
}

std::span<const std::uint8_t> HiveFile::cellBytes() const {
  if (++cellReads_ % kCellReadsBetweenDrops == 0) image_.dropResidentPages();
  return image_.bytes();
}

// A name straight from its cell: Latin-1 when the cell says so, else UTF-16
// with every unpaired surrogate read as U+FFFD. Embedded NULs are kept.
std::optional<std::string> HiveFile::rawName(std::size_t at, std::size_t lengthAt,
                                             std::size_t flagsAt, std::uint16_t asciiFlag) const {
  const std::span<const std::uint8_t> bytes = cellBytes();
  if (at + lengthAt + 2 > bytes.size() || at + flagsAt + 2 > bytes.size()) return std::nullopt;
  const std::size_t length = ReadU16(bytes, at + lengthAt);
  const std::size_t nameAt = lengthAt == kNodeNameLength ? at + kNodeName : at + kValueName;
  if (nameAt + length > bytes.size()) return std::nullopt;
  const std::span<const std::uint8_t> stored = bytes.subspan(nameAt, length);
  if (ReadU16(bytes, at + flagsAt) & asciiFlag) return Latin1ToUtf8(stored);
  std::u16string text(length / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(ReadU16(stored, 2 * i));
  return Utf16ToUtf8(text);
}

// Read-only, hivex's image is our view's bytes, and a name is read from its
// cell once (hivex recodes it twice with iconv, once for its length). Opened
// for writing, hivex's copy may hold cells our view has not: hivex is asked.
std::string HiveFile::name(HiveNode node) const {
  if (writable_) {
    const std::size_t length = hivex_node_name_len(handle_, node);
    Malloced<char> decoded(hivex_node_name(handle_, node));
    if (decoded) return std::string(decoded.get(), std::max(length, std::strlen(decoded.get())));
  }
  return rawName(node, kNodeNameLength, kNodeFlags, kKeyCompressedName).value_or("\xEF\xBF\xBD");
}

const std::vector<HiveChild>* HiveFile::children(HiveNode node) {
  // Most keys are leaves: they share one empty list, asked of the key cell
  // without a look-up in the index (hivex lists no subkeys when the count is 0).
  static const std::vector<HiveChild> kNoHiveChildren;
  errno = 0;
  if (hivex_node_nr_children(handle_, node) == 0 && errno == 0) return &kNoHiveChildren;
  if (auto it = index_.find(node); it != index_.end()) return &it->second;
  Malloced<hive_node_h> list(hivex_node_children(handle_, node));
  if (!list) return nullptr;
  std::size_t count = 0;
  while (list.get()[count]) ++count;
  std::vector<HiveChild> children;
  children.reserve(count);
  for (const hive_node_h* child = list.get(); *child; ++child) {
    std::string childName = name(*child);
    std::string folded = UpperCase(childName);
    children.push_back({std::move(childName), std::move(folded), *child});
  }
  if (children.empty()) return &kNoHiveChildren;
  // Windows stores subkeys in this order already; hivex-written hives may not.
  if (!std::is_sorted(children.begin(), children.end(), WindowsOrder))
    std::stable_sort(children.begin(), children.end(), WindowsOrder);
  return &index_.emplace(node, std::move(children)).first->second;
}

std::optional<HiveNode> HiveFile::child(HiveNode node, std::string_view childName) {
  const std::vector<HiveChild>* list = children(node);
  if (!list) return std::nullopt;
  const HiveChild key{"", UpperCase(childName), 0};
  const auto it = std::lower_bound(list->begin(), list->end(), key, WindowsOrder);
  if (it == list->end() || it->folded != key.folded) return std::nullopt;
  return it->node;
}

std::optional<std::vector<hive_value_h>> HiveFile::valueHandles(HiveNode node) const {
  Malloced<hive_value_h> list(hivex_node_values(handle_, node));
  if (!list) return std::nullopt;
  std::vector<hive_value_h> handles;
  for (const hive_value_h* value = list.get(); *value; ++value) handles.push_back(*value);
  return handles;
}

std::string HiveFile::valueName(hive_value_h value) const {
  if (writable_) {
    const std::size_t length = hivex_value_key_len(handle_, value);
    Malloced<char> decoded(hivex_value_key(handle_, value));
    if (decoded) return std::string(decoded.get(), std::max(length, std::strlen(decoded.get())));
  }
  return rawName(value, kValueNameLength, kValueFlags, kValueCompressedName)
      .value_or("\xEF\xBF\xBD");
}

bool HiveFile::readValue(hive_value_h value, RegValue& out) const {
  hive_type type{};
  std::size_t length = 0;
  if (hivex_value_type(handle_, value, &type, &length) != 0) return false;
  out.name = valueName(value);
  out.type = static_cast<std::uint32_t>(type);
  out.data.clear();
  if (length == 0) return true;
  Malloced<char> data(hivex_value_value(handle_, value, &type, &length));
  if (!data) return false;
  out.data.assign(data.get(), data.get() + length);
  return true;
}

std::optional<std::vector<RegValue>> HiveFile::values(HiveNode node) const {
  std::vector<RegValue> values;
  if (!readValues(node, values)) return std::nullopt;
  return values;
}

bool HiveFile::readValues(HiveNode node, std::vector<RegValue>& out) const {
  Malloced<hive_value_h> list(hivex_node_values(handle_, node));
  if (!list) return false;
  std::size_t count = 0;
  while (list.get()[count]) ++count;
  out.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    if (!readValue(list.get()[i], out[i])) return false;
  return true;
}

std::optional<std::vector<std::string>> HiveFile::valueNames(HiveNode node) const {
  std::optional<std::vector<hive_value_h>> handles = valueHandles(node);
  if (!handles) return std::nullopt;
  std::vector<std::string> names;
  for (hive_value_h value : *handles) names.push_back(valueName(value));
  return names;
}

RegStatus HiveFile::value(HiveNode node, std::string_view valueName_, RegValue& out) const {
  std::optional<std::vector<hive_value_h>> handles = valueHandles(node);
  if (!handles) return RegStatus::Failed;
  for (hive_value_h value : *handles)
    if (EqualsNoCase(valueName(value), valueName_))
      return readValue(value, out) ? RegStatus::Ok : RegStatus::Failed;
  return RegStatus::NotFound;
}

std::optional<std::size_t> HiveFile::valueCount(HiveNode node) const {
  errno = 0;
  const std::size_t count = hivex_node_nr_values(handle_, node);
  if (count == 0 && errno != 0) return std::nullopt;
  return count;
}

bool HiveFile::isLink(HiveNode node) const {
  const std::span<const std::uint8_t> bytes = cellBytes();
  return node + kNodeFlags + 2 <= bytes.size() && (ReadU16(bytes, node + kNodeFlags) & kKeySymLink);
}

}  // namespace hs::offline
