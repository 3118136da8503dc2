#pragma once
// The backup of the whole registry that the system registry editor exports,
// and the system's own backup tool. The program does not trust the editor's
// exit code: the export counts as written only when the file is there and
// starts as the editor's exports start.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs {

// The chosen name with ".reg" appended unless its extension, upper-cased, is
// ".REG" already ("backup.Reg" stays as it is).
std::string FullBackupFileName(const std::string& chosen);

// "Regedit /e" and the quoted path: the editor exports the whole registry.
std::string ExportCommandLine(const std::string& file);

// A file as its folder's listing shows it: an earlier file that the editor
// left in place is told from the one it wrote by this.
struct FileStamp {
  bool exists = false;
  std::int64_t modifiedUnixSeconds = 0;
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(FileSystemBackend& fs, const std::string& file);

// "" when `file` exists, is not the file stamped `before` the export (an
// existing file the editor did not rewrite) and starts with an export header
// (REGEDIT4, or "Windows Registry Editor Version 5.00" in UTF-16LE or UTF-8,
// with or without a byte order mark); otherwise why the backup failed.
std::string CheckFullBackupFile(FileSystemBackend& fs, const std::string& file,
                                const FileStamp& before = {});

// Where the system's backup tool may be, in the order it is looked for:
// ntbackup.exe (Windows XP and older), then the Backup and Restore tool
// sdclt.exe. `systemRoot` is the Windows folder; a 32-bit process on 64-bit
// Windows looks through "Sysnative" first, since its "system32" is the 32-bit
// folder, which lacks sdclt.exe.
std::vector<std::string> SystemBackupToolCandidates(const std::string& systemRoot, bool wow64);

// The first candidate that exists as a file; nothing when none does.
std::optional<std::string> FindSystemBackupTool(FileSystemBackend& fs,
                                                const std::string& systemRoot, bool wow64);

}  // namespace hs
