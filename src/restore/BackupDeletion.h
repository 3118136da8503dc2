#pragma once
// Which restored file may be deleted afterwards: only a file that lies in
// the backup folder itself, reached without links. A file restored from
// anywhere else is never deleted, nor a link (it would be the link that
// goes, but the user never asked for it).
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {

// "" when `file` may be deleted after its verified restore; otherwise why not.
std::string WhyNotDeletable(FileSystemBackend& fs, const std::string& file,
                            const std::string& backupFolder);

}  // namespace hs
