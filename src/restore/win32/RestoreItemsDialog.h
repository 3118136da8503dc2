#pragma once
// TfrmRestoreItems: the keys and values of one backup file, each with a
// check box, what it puts back and whether the registry holds it already.
// "Restore checked" takes back exactly the checked items through the
// engine's restore of items (restore/RestoreItems), which keeps the file
// until every item of it is back; the list then shows the registry anew.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "restore/BackupItems.h"
#include "restore/RestoreBackup.h"
#include "restore/win32/CallingEditor.h"
#include "translation/Translation.h"

namespace hs::win32 {

inline constexpr int kItemsList = 1111;
inline constexpr int kItemsSelectAll = 1112;
inline constexpr int kItemsSelectNone = 1113;
inline constexpr int kItemsRestoreChecked = 1114;

struct RestoreItemsInput {
  FileSystemBackend& fs;
  RegistryBackend& registry;
  const Translation& translation;
  std::string language;
  RestoreRequest request;  // the file, its folder, DeleteBackupFile, force as the user agreed
  std::vector<BackupFileItem> items;  // as listed for that request
  std::function<void(HWND owner, const std::string& text, bool error)> tell;
  EditorCall runEditor;
};

struct RestoreItemsOutput {
  bool fileDeleted = false;  // every item came back and the file went
};

RestoreItemsOutput RestoreItemsDialog(HWND owner, const RestoreItemsInput& input);

}  // namespace hs::win32
