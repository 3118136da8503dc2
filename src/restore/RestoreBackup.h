#pragma once
// Restoring a backup file: its lines are checked, its provenance looked up,
// then the system registry editor imports a private copy of what may be
// imported and the registry is checked against it. Only a restore found
// complete counts as done, and only then may the backup file be deleted.
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "restore/BackupRecord.h"
#include "restore/RegistryEditor.h"
#include "restore/RestoreVerify.h"
#include "translation/Translation.h"

namespace hs {

enum class RestoreEnd {
  Restored,          // imported whole and every item checked equal
  Partial,           // only an intact or recorded part was imported (and checked); file kept
  Refused,           // a line breaks the rules, or the file is not trusted without force
  BadFile,           // missing, unreadable or not a registry file
  EditorNotStarted,  // the registry editor could not be started
  Stopped,           // the editor was stopped before it ended: maybe partly restored; file kept
  NotVerified,       // the registry differs from the file afterwards
  Failed,            // the private copy to import could not be written
};

struct RestoreRequest {
  std::string file;
  // Only a file directly in this folder may be deleted after its restore.
  std::string backupFolder;
  bool deleteAfter = false;  // option DeleteBackupFile; honoured only for a verified whole restore
  // Import a file the record does not vouch for (or all of a file it vouches
  // for only in part). The line rules hold regardless.
  bool force = false;
  // The language of the messages.
  Translation texts;
  // Puts a file back from the Recycle Bin to its path; unset where the shell
  // cannot. Asked for each shortcut file the repair sent there once the
  // registry items are back.
  std::function<bool(const std::string& path)> putBack;
};

struct RestoreOutcome {
  RestoreEnd end = RestoreEnd::Restored;
  std::string message;                         // why it is not Restored
  std::vector<RestoreDifference> differences;  // for NotVerified
  ProvenanceCheck provenance;
  bool needsForce = false;   // Refused only because the record does not vouch for the file
  bool cutOff = false;       // the file ended in a partial line; its intact part was imported
  bool fileDeleted = false;  // deleteAfter was set and the file is gone
  std::string keptBecause;   // deleteAfter was set and the file was kept: why
  // The shortcut files the repair moved to the Recycle Bin (its note beside
  // the backup), and those of them not in their places after the restore.
  std::vector<std::string> recycledFiles;
  std::vector<std::string> stillRecycled;
  // A restore of chosen items: how many the file has, and the numbers of
  // those not in the registry afterwards (the file is kept while any is not).
  std::size_t itemCount = 0;
  std::vector<std::size_t> itemsNotBack;
};

RestoreOutcome RestoreBackupFile(FileSystemBackend& fs, RegistryBackend& registry,
                                 RegistryEditorRunner& editor, const RestoreRequest& request);

}  // namespace hs
