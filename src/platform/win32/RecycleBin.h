#pragma once
// The items of the user's Recycle Bin as the shell shows them, and putting one
// back where it came from. Through the shell's own folder, so it works on
// every file system the shell keeps a bin for.
#include <string>
#include <vector>

namespace hs::win32 {

struct RecycledItem {
  std::string name;        // as the bin's "Name" column shows it
  std::string fromFolder;  // the bin's "Original Location" column
};

std::vector<RecycledItem> ListRecycleBin();

// Whether `item` is what was at `path`. The bin's name column may leave out
// an extension the shell hides (".lnk"), so both forms are accepted.
bool IsRecycledFrom(const RecycledItem& item, const std::string& path);

// Puts the newest bin item that came from `path` back in its place (the
// bin's "Restore" command). False when there is none, or the shell cannot.
bool PutBackFromRecycleBin(const std::string& path);

}  // namespace hs::win32
