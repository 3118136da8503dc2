#pragma once
// The repair run over the findings list: every checked row, from the last to
// the first, is written to one backup file and then deleted. Rows are backed
// up in batches (BackupBatch.h): a batch's items are written, flushed, read
// back and checked together, then deleted in row order.
//
// Guarantees beyond the plain run:
// * nothing is deleted unless its backup was written, flushed, read back and
//   found equal to what is about to be deleted;
// * a key or value the backup file cannot carry is not deleted, nor a key
//   tree that holds a registry link (a link's target is never touched);
// * a hive root or a protected key (ProtectedKeys.h) is never deleted;
// * a delete removes only what the backup holds: a key that gained a subkey
//   or changed after its backup stops the delete;
// * every checked row that was not repaired carries a reason.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "findings/ResultFilter.h"
#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "regfile/RegFileWriter.h"
#include "repair/BackupBatch.h"
#include "repair/RegistrySnapshot.h"
#include "restore/BackupFileRecorder.h"
#include "scan/Finding.h"
#include "translation/Translation.h"

namespace hs {

struct RepairHooks {
  // The backup folder is missing: asked with the question text; true creates
  // it. Unset: the folder is created without asking.
  std::function<bool(const std::string& question)> confirmCreateFolder;
  // Option RestorePoint is set: makes the restore point (the GUI shows its
  // dialog and decides by Windows version); false ends the run unchanged.
  std::function<bool()> makeRestorePoint;
  // The local clock for the backup file's name.
  std::function<LocalDateTime()> clock = LocalNow;
  // The language of the questions asked.
  Translation texts;
};

enum class RepairEnd {
  Completed,              // both passes ran
  FolderDeclined,         // the user did not want the backup folder created
  FolderFailed,           // the backup folder could not be created
  EmptyList,              // nothing to do
  RestorePointCancelled,  // the restore point was cancelled
  Aborted,                // the backup file could not be written: the run stopped
};

struct NotRepaired {
  Finding row;
  std::string reason;
  // What the row names is still there: the row stays in the list, checked.
  // False when it is gone anyway (the row leaves the list).
  bool kept = true;
};

struct RepairOutcome {
  RepairEnd end = RepairEnd::Completed;
  int processedCount = 0;      // checked rows visited by the first pass
  std::string backupFile;      // the run's backup file name ("" before it was made)
  bool backupWritten = false;  // at least one export reached the file
  // The note naming the shortcut files sent to the Recycle Bin ("" when none went).
  std::string recycledFilesNote;
  std::string error;  // why an aborted or folder-less run ended
  // Every checked row that is not repaired, bottom to top, with its reason.
  // Those whose item is still there stay in the list, checked; the others
  // leave it. After a completed run the caller adds the texts of all of them
  // to the unrepaired lists, so later scans hide them.
  std::vector<NotRepaired> notRepaired;
};

class RepairRun {
 public:
  RepairRun(RegistryBackend& registry, FileSystemBackend& fs, std::string backupFolder,
            bool restorePoint, RepairHooks hooks = {});

  RepairOutcome Run(std::vector<Finding>& rows);

  // The two delete steps for one item, backed up alone; they need the run's
  // backup file (Run makes it, or SetBackupFile). False with LastReason() when
  // nothing was deleted or the delete stopped. A backup file that cannot be
  // written raises BackupWriteError.
  bool DeleteRegistryKey(const std::string& hive, const std::string& keyPath);
  bool DeleteRegistryValue(const std::string& hive, const std::string& keyPath,
                           const std::string& valueName);
  void SetBackupFile(const std::string& fileName);
  const std::string& LastReason() const { return m_reason; }
  // Why the backup file is not recorded as this program's (a restore will
  // need an explicit request); "" when every verified export was recorded.
  const std::string& BackupRecordProblem() const { return m_recorder.problem(); }

  // The question asked when the backup folder is missing.
  static std::string FolderQuestion(const std::string& folder, const Translation& texts);

  // Rows per batch: the first batches are small, so that a backup that cannot
  // be written is found after one item; they double up to kFastGrowthFrom,
  // then grow fourfold up to kMaxBatchItems, as each batch costs a flush.
  static constexpr std::size_t kFastGrowthFrom = 64;
  static constexpr std::size_t kMaxBatchItems = 4096;

 private:
  struct RowState {
    bool repaired = false;
    std::string reason;  // why not, once visited
  };
  struct PendingItem {
    std::size_t row;
    BackupItem item;
  };

  bool prepareFolder(RepairOutcome& outcome);
  void visitRow(std::size_t index, const Finding& row);
  bool deleteFile(const std::string& path);
  // Whether what the row names is definitely not there any more.
  bool targetGone(const Finding& row);
  bool fail(std::string reason);
  // What a registry row names, checked before anything is read; false (with
  // m_reason) when it must not be touched.
  bool keyTarget(const std::string& hive, const std::string& keyPath, BackupItem& out);
  bool valueTarget(const std::string& hive, const std::string& keyPath,
                   const std::string& valueName, BackupItem& out);
  bool rowTarget(const Finding& row, BackupItem& out);
  // Reads the item's snapshot; false (with m_reason) when it cannot be read.
  bool readItem(BackupItem& item);
  bool readValueItem(BackupItem& item);
  // Opens the key of a value item into m_valueKey, unless it is open there.
  bool openValueKey(const BackupItem& item);
  // Formats the snapshot; false (with m_reason) when the file cannot carry it.
  bool formatItem(BackupItem& item);
  // Adds a targeted item to the batch, committing the batch first when the
  // item overlaps it, and after when the batch is full.
  void stage(std::size_t row, BackupItem item);
  // Writes and checks the batch, then deletes its verified items in order.
  // Throws BackupWriteError with nothing of the batch deleted.
  void commitBatch();
  void clearBatch();
  // Whether the run's backup file, once written, left its path.
  bool backupGone();
  // Throws BackupWriteError when it did.
  void requireBackupInPlace();
  bool deleteItem(const BackupItem& item, ParentKeys& parents);
  bool deleteOne(BackupItem item);
  std::uint64_t currentFileSize();

  RegistryBackend& m_registry;
  FileSystemBackend& m_fs;
  BackupFileRecorder m_recorder{m_registry, m_fs};
  std::string m_folder;
  bool m_restorePoint;
  RepairHooks m_hooks;
  std::string m_backupFile;
  bool m_sizeKnown = false;
  std::uint64_t m_fileSize = 0;
  bool m_backupWritten = false;
  bool m_recycledFiles = false;
  std::string m_reason;
  std::vector<RowState> m_rows;
  std::vector<PendingItem> m_batch;
  BatchFootprint m_footprint;
  std::size_t m_batchLimit = 1;
  // The key of the batch's last value item, open for deleting.
  struct OpenValueKey {
    RootKey root = RootKey::CurrentUser;
    std::string keyPath;
    std::shared_ptr<RegKeyHandle> handle;
  } m_valueKey;
};

// After a completed run, the rows it took out of the list go to the
// unrepaired lists (an aborted run leaves them checked in the list instead).
void RememberUnrepaired(const RepairOutcome& outcome, UnrepairedLists& lists);

// Creates a folder with every missing parent.
FsStatus CreateFolderTree(FileSystemBackend& fs, const std::string& folder);

}  // namespace hs
