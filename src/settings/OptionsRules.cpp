#include "settings/OptionsRules.h"

#include <algorithm>
#include <cctype>

#include "common/Text.h"

namespace hs {

namespace {

constexpr std::size_t kMaxIniValueUnits = 2047;  // what a settings-file value gives back

std::vector<IgnoreRow> RowsOf(const std::vector<std::string>& list) {
  std::vector<IgnoreRow> rows;
  rows.reserve(list.size());
  for (const std::string& entry : list) rows.push_back({entry, false});
  return rows;
}

std::vector<std::string> TextsOf(const std::vector<IgnoreRow>& rows) {
  std::vector<std::string> texts;
  texts.reserve(rows.size());
  for (const IgnoreRow& row : rows) texts.push_back(row.text);
  return texts;
}

// "C:\..." or "\\server\share...": a path that does not depend on the
// current folder or drive.
bool IsFullFolderPath(const std::string& path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  const bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
  return drive || share;
}

bool HasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

OptionsForm OptionsFormFrom(const Settings& settings) {
  OptionsForm form;
  form.outputFolder = settings.OutputDirectory;
  form.createRestore = settings.RestorePoint;
  form.deleteBackupFile = settings.DeleteBackupFile;
  form.includeRemoveMedia = settings.IncludeRemoveMedia;
  form.includeCDdrive = settings.IncludeCDdrive;
  form.showHint = settings.ShowHint;
  form.beep = settings.Beep;
  form.values = RowsOf(settings.IgnoreValueList);
  form.keys = RowsOf(settings.IgnoreKeyList);
  return form;
}

std::optional<std::string> BackupFolderProblem(FileSystemBackend& fs, const std::string& folderText,
                                               const Translation& texts) {
  if (IsFullFolderPath(folderText) && !HasControlCharacter(folderText) &&
      fs.probe(folderText) == PathProbe::Folder)
    return std::nullopt;
  return folderText + "," +
         texts.GetLanString("RES_Directory_Not_Exist", "The backup directory does not exist.");
}

void ApplyOptionsForm(const OptionsForm& form, Settings& settings) {
  settings.OutputDirectory = form.outputFolder;
  settings.RestorePoint = form.createRestore;
  settings.DeleteBackupFile = form.deleteBackupFile;
  settings.IncludeRemoveMedia = form.includeRemoveMedia;
  settings.IncludeCDdrive = form.includeCDdrive;
  settings.ShowHint = form.showHint;
  settings.Beep = form.beep;
  settings.IgnoreValueList = TextsOf(form.values);
  settings.IgnoreKeyList = TextsOf(form.keys);
}

bool AddIgnoreRow(std::vector<IgnoreRow>& rows, const std::string& entry) {
  const bool listed = std::any_of(rows.begin(), rows.end(), [&](const IgnoreRow& row) {
    return EqualsNoCase(row.text, entry);
  });
  if (listed) return false;
  rows.push_back({entry, false});
  return true;
}

std::size_t RemoveTickedRows(std::vector<IgnoreRow>& rows) {
  const auto kept = std::stable_partition(rows.begin(), rows.end(),
                                          [](const IgnoreRow& row) { return !row.ticked; });
  const auto removed = static_cast<std::size_t>(rows.end() - kept);
  rows.erase(kept, rows.end());
  return removed;
}

bool IsIgnoreEntryAcceptable(const std::string& text) {
  return ContainsNoCase(text, "HKEY_") && !HasControlCharacter(text) &&
         Utf8ToUtf16(text).size() <= kMaxIniValueUnits;
}

std::string RestorePointCaption(const std::string& caption) {
  // "(XP" is ASCII and no other character folds to it, so its position in
  // the caption is the one FindNoCase reports.
  const std::size_t at = FindNoCase(caption, "(XP");
  if (at == std::string::npos) return caption;
  return caption.substr(0, at) + "(XP, Vista, 7)";
}

}  // namespace hs
