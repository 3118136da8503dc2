#pragma once
// The console restore and backup list: "restore [--force] [--json] [--item
// N[,M...]] [--key PATH]... FILE" and "backups [--json] [--items]".
#include <functional>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/RepairCommand.h"
#include "restore/RegistryEditor.h"

namespace hs {

// Verified restore of one backup file; deleteAfter is option DeleteBackupFile
// (only a file directly in backupFolder is ever deleted). Exit 0 restored and
// verified, 2 bad arguments, not a readable registry file or refused (a line
// breaks the rules, or the file is not recorded as ours and --force is
// absent), 3 the editor could not run or the registry differs afterwards (the
// file is kept and the differing items are listed), 4 partially restored.
// --json prints one object with the outcome and its reason. --item and --key
// restore only those items (numbered as "backups --items" lists them; a key
// names every item at or below it); the file is then kept until every item
// of it is back, and a number or key that names no item restores nothing.
CommandOutput RunRestoreCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, RegistryEditorRunner& editor,
                                bool deleteAfter, const std::string& backupFolder,
                                const Translation& texts = {},
                                std::function<bool(const std::string& path)> putBack = {});

// Why `args` are not arguments of RunRestoreCommand; "" when they are. For a
// caller that must know before it starts anything.
std::string RestoreArgumentsError(const std::vector<std::string>& args);

// The backup files of `folder`, newest first: name, local date and time, size
// text; with --json one object per file, with whether it may be restored as
// it is and what it would add; --items adds each file's items, with what
// each puts back and whether the registry holds it already.
CommandOutput RunBackupsCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, const std::string& folder,
                                const Translation& texts = {});

// Local date and time as "YYYY-MM-DD HH:MM:SS".
std::string LocalDateTimeText(std::int64_t unixSeconds);

}  // namespace hs
