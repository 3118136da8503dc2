#pragma once
// The options dialog's rules, apart from its window: what the form shows,
// the backup-folder test on OK, the ignore-list editing and the entry
// dialog's acceptance test. The dialog holds an OptionsForm while it is open;
// only a confirmed form reaches the Settings.
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "settings/Settings.h"
#include "translation/Translation.h"

namespace hs {

struct IgnoreRow {
  std::string text;
  bool ticked = false;
};

// The contents of TfrmOptions: the backup folder as typed, the six yes/no
// settings and the rows of the two ignore lists.
struct OptionsForm {
  std::string outputFolder;
  bool createRestore = false;
  bool deleteBackupFile = true;
  bool includeRemoveMedia = false;
  bool includeCDdrive = false;
  bool showHint = true;
  bool beep = false;
  std::vector<IgnoreRow> values;
  std::vector<IgnoreRow> keys;
};

// The form as the dialog opens: the settings' values, every row unticked.
OptionsForm OptionsFormFrom(const Settings& settings);

// The message shown when OK finds no folder at `folderText` ("<text>,<The
// backup directory does not exist.>"), or nothing when the folder exists.
// The text must name a folder by its full path (a drive or a share): a
// relative one would move with the current folder. A trailing backslash is
// accepted.
std::optional<std::string> BackupFolderProblem(FileSystemBackend& fs, const std::string& folderText,
                                               const Translation& texts);

// OK: the folder text as typed, the six settings, and the lists replaced by
// the rows in their order (the counts follow the lists' sizes).
void ApplyOptionsForm(const OptionsForm& form, Settings& settings);

// Appends `entry` unless a row already holds it in any letter case; false
// when it was there.
bool AddIgnoreRow(std::vector<IgnoreRow>& rows, const std::string& entry);

// Drops every ticked row; the others keep their order. The selection plays
// no part. Returns how many went.
std::size_t RemoveTickedRows(std::vector<IgnoreRow>& rows);

// The entry dialog's OK: the text holds "HKEY_" anywhere in any letter case,
// fits a settings-file value (2047 UTF-16 characters) and holds no control
// character, which would break the file's line.
bool IsIgnoreEntryAcceptable(const std::string& text);

// The restore-point check box's caption in any language: from the first
// "(XP" in any letter case on, the built-in "(XP, Vista, 7)".
std::string RestorePointCaption(const std::string& caption);

}  // namespace hs
