#pragma once
// Which files this program wrote for restoring, and what they held: length
// and SHA-256 of each file's recorded part. The record lives under
// HKEY_LOCAL_MACHINE, where only administrators can write, so a file that a
// standard user planted or changed in a writable backup folder is told apart.
// One key holds it all; the uninstaller removes that key.
//
// Files are recognised by their bytes, not by where they lie: a backup folder
// that was moved or renamed, or a file copied to a stick, is still this
// program's file. The path an entry was written under is kept only to say
// where the file was and to tell "changed" from "never written by us".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Sha256.h"
#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"

namespace hs {

// Below HKEY_LOCAL_MACHINE: one REG_BINARY value per backup file, named by the
// path it was written under, holding the recorded length (8 bytes,
// little-endian) and the digest of that many bytes from the file's start.
inline constexpr const char* kBackupRecordKey = "Software\\Corvane Hivesweep\\Backup Record";

struct RecordedPart {
  std::uint64_t length = 0;
  Sha256Digest digest{};
};

struct RecordEntry {
  std::string writtenAs;  // the path the file had when it was recorded
  RecordedPart part;
};

class BackupRecord {
 public:
  BackupRecord(RegistryBackend& registry, FileSystemBackend& fs) : m_registry(registry), m_fs(fs) {}

  // Records that the first `length` bytes of `file` hash to `digest`,
  // replacing what was recorded under the same path before. Entries of other
  // files are kept, wherever those files are now. False (nothing changed)
  // when the record cannot be written, as without administrator rights.
  bool record(const std::string& file, const RecordedPart& part);

  // Every entry; none when there is no record or it cannot be read.
  std::vector<RecordEntry> entries();

  // The entry recorded under `file`'s path, if any.
  std::optional<RecordedPart> lookup(const std::string& file);

 private:
  // The name an entry of `file` is kept under: its resolved path when it can
  // be resolved, else the path as given.
  std::string entryName(const std::string& file);

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
  std::string writtenAs;            // where the matching entry says the file was written
};

// `bytes` are the file's whole content; hashed once, in place, never copied.
// The longest recorded part that equals the file's start wins, whatever its
// entry's path; `file` only tells an entry of this very path that no longer
// matches (Changed) from a file this program never wrote.
ProvenanceCheck CheckProvenance(BackupRecord& record, const std::string& file,
                                std::string_view bytes);

// Why a file is not trusted, for messages: "" for Recorded.
std::string ProvenanceText(const ProvenanceCheck& check);

}  // namespace hs
