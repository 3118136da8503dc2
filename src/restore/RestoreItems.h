#pragma once
// Taking back only some items of a backup file. The file meets the same line
// rules and provenance as for a whole restore (the items are cut from the
// part that may be imported, so a file the record vouches for vouches for
// them); a private file of exactly the chosen items' lines is imported and
// checked as a whole restore is. The backup file stays until every item of
// it is back in the registry, or the user deletes it.
#include <cstddef>
#include <vector>

#include "restore/BackupItems.h"
#include "restore/RestoreBackup.h"

namespace hs {

struct ListedItems {
  // Restored when the items could be listed; otherwise why not (Refused with
  // needsForce for a file the record does not vouch for, BadFile...).
  RestoreOutcome outcome;
  std::vector<BackupFileItem> items;  // each with its presence
  bool wholeFile = false;             // no part of the file was left out
};

// The items of request.file as a restore with request.force would meet them.
ListedItems ListBackupItems(FileSystemBackend& fs, RegistryBackend& registry,
                            const RestoreRequest& request);

// Restores the items `numbers` (1-based, as listed; order and repeats do not
// count). A number that names no item refuses the whole request. With
// request.deleteAfter the file is deleted once every item of it is back.
RestoreOutcome RestoreBackupItems(FileSystemBackend& fs, RegistryBackend& registry,
                                  RegistryEditorRunner& editor, const RestoreRequest& request,
                                  std::vector<std::size_t> numbers);

}  // namespace hs
