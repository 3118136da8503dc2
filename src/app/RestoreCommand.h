#pragma once
// The console restore and backup list: "restore FILE" and "backups".
#include <string>
#include <vector>

#include "app/RepairCommand.h"
#include "restore/RegistryEditor.h"

namespace hs {

// Verified restore of one backup file; deleteAfter is option DeleteBackupFile.
// Exit 0 restored and verified, 2 bad arguments or not a readable registry
// file, 3 the editor could not run or the registry differs afterwards (the
// file is kept and the differing items are listed).
CommandOutput RunRestoreCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, RegistryEditorRunner& editor,
                                bool deleteAfter);

// The backup files of `folder`, newest first: name, local date and time, size text.
CommandOutput RunBackupsCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                const std::string& folder);

// Local date and time as "YYYY-MM-DD HH:MM:SS".
std::string LocalDateTimeText(std::int64_t unixSeconds);

}  // namespace hs
