#include "settings/SettingsFile.h"

#include <algorithm>
#include <memory>

#include "common/Text.h"
#include "settings/AtomicFile.h"

namespace hs {
namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kTreeViewNodeCheck = "TreeViewNodeCheck";
constexpr const char* kWindow = "Window";
constexpr int kStateMaximized = 3;

void ReadList(const IniFile& file, const char* section, const char* prefix,
              std::vector<std::string>& list) {
  const int count = std::clamp(file.ReadInteger(section, "Count", 0), 0, kMaxIgnoreEntries);
  for (int i = 1; i <= count; ++i)
    list.push_back(file.ReadString(section, prefix + std::to_string(i), ""));
}

void WriteList(IniFile& file, const char* section, const char* prefix,
               const std::vector<std::string>& list) {
  file.WriteInteger(section, "Count", static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i)
    file.WriteString(section, prefix + std::to_string(i + 1), list[i]);
}

// A stored size below one pixel would hide the window; the current one stays.
int UsableSize(int stored, int current) {
  return stored >= 1 ? stored : current;
}

void ReadWindow(const IniFile& file, ScreenSize screen, Settings& settings) {
  if (file.ReadInteger(kWindow, "State", 1) == kStateMaximized) {
    settings.WindowMaximized = true;
    return;
  }
  settings.WindowLeft =
      file.ReadInteger(kWindow, "Left", (screen.width - settings.WindowWidth) / 2);
  settings.WindowTop =
      file.ReadInteger(kWindow, "Top", (screen.height - settings.WindowHeight) / 2);
  settings.WindowWidth =
      UsableSize(file.ReadInteger(kWindow, "Width", settings.WindowWidth), settings.WindowWidth);
  settings.WindowHeight =
      UsableSize(file.ReadInteger(kWindow, "Height", settings.WindowHeight), settings.WindowHeight);
}

void WriteWindow(IniFile& file, const Settings& settings) {
  if (settings.WindowState != 0) file.WriteInteger(kWindow, "State", settings.WindowState);
  file.WriteInteger(kWindow, "Left", settings.WindowLeft);
  file.WriteInteger(kWindow, "Top", settings.WindowTop);
  file.WriteInteger(kWindow, "Width", settings.WindowWidth);
  file.WriteInteger(kWindow, "Height", settings.WindowHeight);
}

// Whether a file can be created in the folder of `path`: the same test the
// atomic save's first step makes, with the same temporary name.
bool FolderTakesFiles(FileSystemBackend& fs, const std::string& path) {
  const std::string probe = path + ".tmp";
  std::unique_ptr<FileWriter> writer;
  if (fs.openForWrite(probe, false, writer) != FsStatus::Ok) return false;
  writer.reset();
  fs.deleteSilently(probe);
  return true;
}

bool Present(FileSystemBackend& fs, const std::string& path) {
  // A file the system will not show us still counts as there: its defaults
  // are better than a stale copy elsewhere.
  const PathProbe probe = fs.probe(path);
  return probe == PathProbe::File || probe == PathProbe::Inaccessible;
}

std::optional<std::string> WriteSettingsFile(FileSystemBackend& fs, const SettingsFilePaths& paths,
                                             const SettingsFileChoice& choice,
                                             const std::string& bytes) {
  const bool inAppData = choice.writeTo == paths.inAppData;
  if (inAppData) fs.createDirectory(paths.appDataFolder);  // fails harmlessly when it exists
  const AtomicWriteResult written = WriteFileAtomically(fs, choice.writeTo, bytes);
  if (written.status == FsStatus::Ok) return std::nullopt;
  // Nothing could be created anywhere: the program's own file is the one to name.
  if (inAppData && !written.temporaryCreated) return "Unable to write to " + paths.besideProgram;
  return "Unable to write to " + choice.writeTo;
}

}  // namespace

SettingsFilePaths LocateSettingsFile(FileSystemBackend& fs, const std::string& programFolder) {
  SettingsFilePaths paths;
  paths.besideProgram = programFolder + kSettingsFileName;
  const std::string appData = fs.specialFolder(csidl::kAppData);
  if (!appData.empty()) {
    paths.appDataFolder = JoinPath(appData, kAppDataFolderName);
    paths.inAppData = JoinPath(paths.appDataFolder, kSettingsFileName);
  }
  return paths;
}

SettingsFileChoice ChooseSettingsFile(FileSystemBackend& fs, const SettingsFilePaths& paths) {
  SettingsFileChoice choice;
  const bool besideProgram = paths.inAppData.empty() || FolderTakesFiles(fs, paths.besideProgram);
  choice.writeTo = besideProgram ? paths.besideProgram : paths.inAppData;
  if (Present(fs, choice.writeTo))
    choice.readFrom = choice.writeTo;
  else if (!besideProgram && Present(fs, paths.besideProgram))
    choice.readFrom = paths.besideProgram;
  return choice;
}

void LoadOptions(const IniFile& file, const std::string& programFolder, ScreenSize screen,
                 Settings& settings) {
  settings.OutputDirectory = file.ReadString(kOptions, "OutputDirectory", programFolder + "Backup");
  settings.DeleteBackupFile = file.ReadBool(kOptions, "DeleteBackupFile", true);
  settings.IncludeRemoveMedia = file.ReadBool(kOptions, "IncludeRemoveMedia", false);
  settings.IncludeCDdrive = file.ReadBool(kOptions, "IncludeCDdrive", false);
  settings.Beep = file.ReadBool(kOptions, "Beep", false);
  for (int flag = 1; flag <= 23; ++flag)
    settings.TreeViewNodeCheck[flag] =
        file.ReadBool(kTreeViewNodeCheck, std::to_string(flag), true);
  ReadList(file, "IgnoreValue", "Value", settings.IgnoreValueList);
  ReadList(file, "IgnoreKey", "Key", settings.IgnoreKeyList);
  ReadWindow(file, screen, settings);
  settings.ShowHint = file.ReadBool(kOptions, "ShowHint", true);
  settings.RestorePoint = file.ReadBool(kOptions, "RestorePoint", false);
  settings.Lan = file.ReadString(kOptions, "Lan", "English");
}

void SaveOptions(IniFile& file, const Settings& settings) {
  file.WriteString(kOptions, "OutputDirectory", settings.OutputDirectory);
  file.WriteBool(kOptions, "DeleteBackupFile", settings.DeleteBackupFile);
  file.WriteBool(kOptions, "IncludeRemoveMedia", settings.IncludeRemoveMedia);
  file.WriteBool(kOptions, "IncludeCDdrive", settings.IncludeCDdrive);
  file.WriteBool(kOptions, "Beep", settings.Beep);
  for (int flag = 1; flag <= 23; ++flag)
    file.WriteBool(kTreeViewNodeCheck, std::to_string(flag), settings.TreeViewNodeCheck[flag]);
  WriteList(file, "IgnoreValue", "Value", settings.IgnoreValueList);
  WriteList(file, "IgnoreKey", "Key", settings.IgnoreKeyList);
  WriteWindow(file, settings);
  file.WriteBool(kOptions, "ShowHint", settings.ShowHint);
  file.WriteBool(kOptions, "RestorePoint", settings.RestorePoint);
  file.WriteString(kOptions, "Lan", settings.Lan);
}

std::optional<std::string> LoadSaveOptions(bool load, FileSystemBackend& fs,
                                           const std::string& programFolder, ScreenSize screen,
                                           Settings& settings) {
  const SettingsFilePaths paths = LocateSettingsFile(fs, programFolder);
  const SettingsFileChoice choice = ChooseSettingsFile(fs, paths);
  // A new file is written in the code page it will be read in.
  IniFile file = choice.readFrom.empty() ? IniFile::FromBytes("", fs.ansiCodePage())
                                         : IniFile::Load(fs, choice.readFrom);
  if (load) {
    LoadOptions(file, programFolder, screen, settings);
    return std::nullopt;
  }
  SaveOptions(file, settings);
  return WriteSettingsFile(fs, paths, choice, file.ToBytes());
}

}  // namespace hs
