#pragma once
// The files-and-folders walk: every string value of a registry subtree is
// tested with ReferenceIsMissing. Tasks 3, 4 and 5 are nothing but this walk;
// other scanners reuse it on one subtree each.
#include <string>

namespace hs {

class ScanContext;

// Walks `keyPath` (empty: the hive root) of the hive named `hiveName` (one of
// the five full names, any case; anything else: nothing happens), depth-first
// and pre-order. Every REG_SZ/REG_EXPAND_SZ value whose reference is missing
// becomes a finding with `problem`; `fileNameHint` is passed on unchanged.
// During tasks 3 and 4 (told by the caption shown) their fixed subtrees are
// left out.
void ScanValueTree(ScanContext& context, const std::string& hiveName, const std::string& keyPath,
                   const std::string& problem, const std::string& fileNameHint);

// The scanner entries of tasks 3, 4 and 5.
void ScanFilesAndFoldersLocalMachine(ScanContext& context);
void ScanFilesAndFoldersCurrentUser(ScanContext& context);
void ScanFilesAndFoldersUsers(ScanContext& context);

}  // namespace hs
