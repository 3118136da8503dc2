#include "restore/BackupRecord.h"

#include <algorithm>
#include <vector>

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

}  // namespace

bool BackupRecord::record(const std::string& file, const RecordedPart& part) {
  std::string resolved;
  if (m_fs.resolvePath(file, resolved) != FsStatus::Ok) return false;
  RegKeyPtr key;
  if (m_registry.openKey(RootKey::LocalMachine, nullptr, kBackupRecordKey, RegAccess::All, true,
                         key) != RegStatus::Ok)
    return false;
  RegValue existing;
  if (m_registry.queryValue(*key, resolved, existing) == RegStatus::NotFound)
    dropEntriesOfMissingFiles(*key);
  return m_registry.setValue(*key, {resolved, kRegBinary, EntryData(part)}) == RegStatus::Ok;
}

void BackupRecord::dropEntriesOfMissingFiles(const RegKeyHandle& key) {
  std::vector<std::string> names;
  if (m_registry.valueNames(key, names) != RegStatus::Ok) return;
  for (const std::string& name : names)
    if (m_fs.probe(name) == PathProbe::NotFound) m_registry.deleteValue(key, name);
}

std::optional<RecordedPart> BackupRecord::lookup(const std::string& file) {
  std::string resolved;
  if (m_fs.resolvePath(file, resolved) != FsStatus::Ok) return std::nullopt;
  RegKeyPtr key;
  if (m_registry.openKey(RootKey::LocalMachine, nullptr, kBackupRecordKey, RegAccess::Read, false,
                         key) != RegStatus::Ok)
    return std::nullopt;
  RegValue value;
  if (m_registry.queryValue(*key, resolved, value) != RegStatus::Ok) return std::nullopt;
  return PartFrom(value);
}

ProvenanceCheck CheckProvenance(BackupRecord& record, const std::string& file,
                                std::string_view bytes) {
  const std::optional<RecordedPart> part = record.lookup(file);
  if (!part) return {Provenance::NotRecorded, 0};
  if (part->length > bytes.size()) return {Provenance::Changed, 0};
  if (Sha256Of(bytes.substr(0, static_cast<std::size_t>(part->length))) != part->digest)
    return {Provenance::Changed, 0};
  if (part->length < bytes.size()) return {Provenance::RecordedPrefix, part->length};
  return {Provenance::Recorded, part->length};
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
