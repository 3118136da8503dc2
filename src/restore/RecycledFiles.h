#pragma once
// The note beside a backup file that names the shortcut files its repair run
// moved to the Recycle Bin ("Backup20240102030405.files.txt" beside
// "Backup20240102030405.reg"). The backup format holds registry items only,
// so the files' way back is told here: the restore names them, and puts them
// back where the shell can.
//
// The note is written before each file goes, so a file the run sent away is
// never missing from it; a file named in the note may still be in place when
// its move was refused, which the reader checks.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs {

// The note that belongs to `backupFile` (its ".reg" ending replaced).
std::string RecycledFilesNoteFor(const std::string& backupFile);

// Adds `path` to the note (created with its heading when new). False when the
// note could not be written and flushed.
bool NoteRecycledFile(FileSystemBackend& fs, const std::string& note, const std::string& path);

// The paths the note names, in the order they went; none when there is no
// note. Lines that are not full Windows paths are skipped: the backup folder
// may be writable by others.
std::vector<std::string> ReadRecycledFilesNote(FileSystemBackend& fs, const std::string& note);

// For people, one line each: where the run's shortcut files are. `away`
// are those not in their places now. None when the run sent none away.
std::vector<std::string> RecycledFilesLines(const std::vector<std::string>& recycled,
                                            const std::vector<std::string>& away);

}  // namespace hs
