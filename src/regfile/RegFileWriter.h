#pragma once
// Writer of REGEDIT4 backup files: what the repair is about to delete goes
// into one of these before it is deleted, so that the system registry editor
// can bring it back.
//
// Every value is written in a form that the registry editor imports back to
// the same type and the same bytes. REG_SZ, REG_DWORD and REG_BINARY keep the
// classic forms ("text", dword:, hex:); every other type is written as
// hex(N): so that its type and data survive, string types in the file's code
// page as REGEDIT4 importers read them. The file's code page is the machine's
// ANSI code page, the one the registry editor will read it in. Anything the
// file cannot carry exactly raises UnrepresentableError before a byte is
// written.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/CodePage.h"
#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"

namespace hs {

// The backup file could not be created, written or flushed.
class BackupWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A key or value whose name or data the file cannot carry losslessly.
class UnrepresentableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Doubles every backslash, then puts a backslash before every double quote.
std::string EscapeRegString(std::string_view text);

// One value line in `codePage`, without its final CR LF (long hex data
// carries its own "\" CR LF line breaks). Throws UnrepresentableError.
std::string FormatValueLine(const RegValue& value, const CodePage& codePage);

// One key section in `codePage`: its empty line, the key line and one line
// per value, in order. Throws UnrepresentableError.
std::string FormatKeySection(RootKey root, const std::string& keyPath,
                             const std::vector<RegValue>& values, const CodePage& codePage);

// The sections of one export in `codePage`, each beginning with
// its empty line. Whole key: the key, its values, then each subkey's subtree,
// depth first, parent first. Otherwise the key line and the one named value
// (no value line when the value does not exist). A key that cannot be opened
// gives its key line alone. Throws UnrepresentableError.
std::string FormatExport(RegistryBackend& registry, RootKey root, std::string keyPath,
                         const std::string& valueName, bool wholeKey, const CodePage& codePage);

struct ExportResult {
  bool created = false;            // the file was new and got the header line
  std::uint64_t bytesWritten = 0;  // header included
};

// Appends formatted sections to `fileName` in one write (creating it with the
// "REGEDIT4" line when it does not exist) and flushes them before returning.
// Throws BackupWriteError.
ExportResult AppendToBackup(FileSystemBackend& fs, const std::string& fileName,
                            const std::string& sections);

// FormatExport in fs.ansiCodePage(), then AppendToBackup. A trailing backslash of keyPath is
// dropped. Throws UnrepresentableError (nothing written) or BackupWriteError.
ExportResult ExportRegistryItem(FileSystemBackend& fs, RegistryBackend& registry,
                                const std::string& fileName, RootKey root,
                                const std::string& keyPath, const std::string& valueName,
                                bool wholeKey);

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalDateTime LocalNow();

// folder (a path delimiter added when missing) + "Backup" + yyyymmddhhmmss + ".reg".
std::string MakeBackupFileName(const std::string& folder, const LocalDateTime& when);
std::string MakeBackupFileName(const std::string& folder);

}  // namespace hs
