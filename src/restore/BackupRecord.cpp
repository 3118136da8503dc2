#include "restore/BackupRecord.h"

#include <algorithm>
#include <map>

#include "common/Text.h"

namespace hs {
namespace {

constexpr std::size_t kEntrySize = 8 + 32;

std::vector<std::uint8_t> EntryData(const RecordedPart& part) {
  std::vector<std::uint8_t> data;
  for (int i = 0; i < 8; ++i) data.push_back(static_cast<std::uint8_t>(part.length >> (8 * i)));
  data.insert(data.end(), part.digest.begin(), part.digest.end());
  return data;
}

std::optional<RecordedPart> PartFrom(const RegValue& value) {
  if (value.type != kRegBinary || value.data.size() != kEntrySize) return std::nullopt;
  RecordedPart part;
  for (std::size_t i = 0; i < 8; ++i)
    part.length |= static_cast<std::uint64_t>(value.data[i]) << (8 * i);
  std::copy(value.data.begin() + 8, value.data.end(), part.digest.begin());
  return part;
}

// The digest of the file's first n bytes for every recorded length n that
// fits, from one pass over the bytes.
std::map<std::uint64_t, Sha256Digest> PrefixDigests(const std::vector<RecordEntry>& entries,
                                                    std::string_view bytes) {
  std::map<std::uint64_t, Sha256Digest> digests;
  for (const RecordEntry& entry : entries)
    if (entry.part.length <= bytes.size()) digests[entry.part.length] = {};
  Sha256 hash;
  for (auto& [length, digest] : digests) {
    hash.update(bytes.substr(static_cast<std::size_t>(hash.length()),
                             static_cast<std::size_t>(length - hash.length())));
    digest = hash.digest();
  }
  return digests;
}

}  // namespace

std::string BackupRecord::entryName(const std::string& file) {
  std::string resolved;
  return m_fs.resolvePath(file, resolved) == FsStatus::Ok ? resolved : file;
}

bool BackupRecord::record(const std::string& file, const RecordedPart& part) {
  if (file.empty()) return false;
  RegKeyPtr key;
  if (m_registry.openKey(RootKey::LocalMachine, nullptr, kBackupRecordKey, RegAccess::All, true,
                         key) != RegStatus::Ok)
    return false;
  return m_registry.setValue(*key, {entryName(file), kRegBinary, EntryData(part)}) == RegStatus::Ok;
}

std::vector<RecordEntry> BackupRecord::entries() {
  std::vector<RecordEntry> out;
  RegKeyPtr key;
  if (m_registry.openKey(RootKey::LocalMachine, nullptr, kBackupRecordKey, RegAccess::Read, false,
                         key) != RegStatus::Ok)
    return out;
  std::vector<RegValue> values;
  if (m_registry.values(*key, values) != RegStatus::Ok) return out;
  for (const RegValue& value : values)
    if (const std::optional<RecordedPart> part = PartFrom(value))
      out.push_back({value.name, *part});
  return out;
}

std::optional<RecordedPart> BackupRecord::lookup(const std::string& file) {
  const std::string name = entryName(file);
  for (const RecordEntry& entry : entries())
    if (EqualsNoCase(entry.writtenAs, name)) return entry.part;
  return std::nullopt;
}

ProvenanceCheck CheckProvenance(BackupRecord& record, const std::string& file,
                                std::string_view bytes) {
  const std::vector<RecordEntry> entries = record.entries();
  const std::map<std::uint64_t, Sha256Digest> digests = PrefixDigests(entries, bytes);
  const RecordEntry* best = nullptr;
  for (const RecordEntry& entry : entries) {
    const auto digest = digests.find(entry.part.length);
    if (digest == digests.end() || digest->second != entry.part.digest) continue;
    if (best == nullptr || entry.part.length > best->part.length) best = &entry;
  }
  if (best != nullptr && best->part.length > 0) {
    const Provenance provenance =
        best->part.length == bytes.size() ? Provenance::Recorded : Provenance::RecordedPrefix;
    return {provenance, best->part.length, best->writtenAs};
  }
  if (record.lookup(file)) return {Provenance::Changed, 0, {}};
  return {Provenance::NotRecorded, 0, {}};
}

std::string ProvenanceText(const ProvenanceCheck& check) {
  switch (check.provenance) {
    case Provenance::Recorded:
      return {};
    case Provenance::RecordedPrefix:
      return "only its first " + std::to_string(check.trustedLength) +
             " bytes are recorded as written by this program";
    case Provenance::NotRecorded:
      return "it is not recorded as a file this program wrote";
    case Provenance::Changed:
      return "it changed since this program wrote it";
  }
  return {};
}

}  // namespace hs
