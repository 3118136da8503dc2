#pragma once
// The files-and-folders walk: every string value of a registry subtree is
// tested with ReferenceIsMissing. Tasks 3, 4 and 5 are nothing but this walk;
// other scanners reuse it on one subtree each.
#include <string>
#include <vector>

#include "scan/Evidence.h"

namespace hs {

class ScanContext;

// Walks `keyPath` (empty: the hive root) of the hive named `hiveName` (one of
// the five full names, any case; anything else: nothing happens), depth-first
// and pre-order. Every REG_SZ/REG_EXPAND_SZ value whose reference is missing
// becomes a finding with `problem` and `rule` in its evidence; `fileNameHint`
// is passed on unchanged.
// During tasks 3 and 4 (told by the caption shown) their fixed subtrees are
// left out.
void ScanValueTree(ScanContext& context, const std::string& hiveName, const std::string& keyPath,
                   const std::string& problem, const std::string& fileNameHint, EvidenceRule rule);

// The keys under HKEY_USERS that hold the hive of the user with this SID
// (the SID itself and SID + "_Classes"); none for an empty SID.
std::vector<std::string> CurrentUserHiveKeys(const std::string& currentUserSid);

// The scanner entries of tasks 3, 4 and 5. Task 5 leaves out the current
// user's keys (CurrentUserHiveKeys) when task 4 is in the same scan.
void ScanFilesAndFoldersLocalMachine(ScanContext& context);
void ScanFilesAndFoldersCurrentUser(ScanContext& context);
void ScanFilesAndFoldersUsers(ScanContext& context);

}  // namespace hs
