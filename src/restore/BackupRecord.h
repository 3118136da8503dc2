#pragma once
// Which files this program wrote for restoring, and what they held: length
// and SHA-256 of each file's recorded part. The record lives under
// HKEY_LOCAL_MACHINE, where only administrators can write, so a file that a
// standard user planted or changed in a writable backup folder is told apart.
// One key holds it all; the uninstaller removes that key.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/Sha256.h"
#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"

namespace hs {

// Below HKEY_LOCAL_MACHINE: one REG_BINARY value per file, named by its
// resolved full path, holding the recorded length (8 bytes, little-endian)
// and the digest of that many bytes from the file's start.
inline constexpr const char* kBackupRecordKey = "Software\\Corvane Hivesweep\\Backup Record";

struct RecordedPart {
  std::uint64_t length = 0;
  Sha256Digest digest{};
};

class BackupRecord {
 public:
  BackupRecord(RegistryBackend& registry, FileSystemBackend& fs) : m_registry(registry), m_fs(fs) {}

  // Records that the first `length` bytes of the existing `file` hash to
  // `digest`. A file new to the record first drops the entries of files that
  // no longer exist. False (nothing changed) when the file cannot be resolved
  // or the record cannot be written, as without administrator rights.
  bool record(const std::string& file, const RecordedPart& part);

  // The recorded part of `file`; nothing when the file is not recorded or
  // cannot be resolved.
  std::optional<RecordedPart> lookup(const std::string& file);

 private:
  void dropEntriesOfMissingFiles(const RegKeyHandle& key);

  RegistryBackend& m_registry;
  FileSystemBackend& m_fs;
};

// What the record says about a file's bytes.
enum class Provenance {
  Recorded,        // the whole file is as this program wrote it
  RecordedPrefix,  // its start is; a tail was added that the record does not vouch for
  NotRecorded,     // this program did not record writing it
  Changed,         // it was recorded, but its recorded part changed since
};

struct ProvenanceCheck {
  Provenance provenance = Provenance::NotRecorded;
  std::uint64_t trustedLength = 0;  // bytes from the start the record vouches for
};

// `bytes` are the file's whole content; hashed in place, never copied.
ProvenanceCheck CheckProvenance(BackupRecord& record, const std::string& file,
                                std::string_view bytes);

// Why a file is not trusted, for messages: "" for Recorded.
std::string ProvenanceText(const ProvenanceCheck& check);

}  // namespace hs
