#pragma once
// Restoring a backup file: the system registry editor imports it, then the
// registry is checked against the file. Only a restore found complete counts
// as done, and only then may the backup file be deleted.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "restore/RegistryEditor.h"
#include "restore/RestoreVerify.h"

namespace hs {

enum class RestoreEnd {
  Restored,          // imported and every item checked equal
  BadFile,           // missing, unreadable or not a registry file
  EditorNotStarted,  // the registry editor could not be started
  Stopped,           // the editor was stopped before it ended
  NotVerified,       // the registry differs from the file afterwards
  Failed,            // the intact part of a cut-off file could not be prepared
};

struct RestoreOutcome {
  RestoreEnd end = RestoreEnd::Restored;
  std::string message;                         // why it is not Restored
  std::vector<RestoreDifference> differences;  // for NotVerified
  bool cutOff = false;       // the file ended in a partial line; its intact part was imported
  bool fileDeleted = false;  // deleteAfter was set and the file is gone
};

// deleteAfter: option DeleteBackupFile; honoured only for a verified restore.
RestoreOutcome RestoreBackupFile(FileSystemBackend& fs, RegistryBackend& registry,
                                 RegistryEditorRunner& editor, const std::string& file,
                                 bool deleteAfter);

}  // namespace hs
