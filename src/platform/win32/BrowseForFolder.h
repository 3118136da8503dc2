#pragma once
// The shell's folder picker, centred on the screen, for choosing a backup
// folder (the options dialog, the restore dialog).
#include <windows.h>

#include <string>

namespace hs::win32 {

// Shows the picker over `owner` with `title`; only file-system folders can
// be chosen. `root` (a folder path, or "") limits the picker to that part of
// the namespace. While the picker is open every other window of this thread
// is disabled and critical-error prompts (insert a disk) are suppressed.
// Returns true with the chosen path in `folder`; false when the user
// cancelled or the picker could not be shown, `folder` unchanged then,
// except that a text naming no existing folder is cleared first.
bool BrowseForFolder(HWND owner, const std::string& title, const std::string& root,
                     std::string& folder);

}  // namespace hs::win32
