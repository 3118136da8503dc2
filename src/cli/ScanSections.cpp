#include "cli/ScanSections.h"

#include "common/Text.h"

namespace hs {

const std::vector<ScanSection>& ScanSections() {
  static const std::vector<ScanSection> sections = {
      {3, "files-hklm", "HKEY_LOCAL_MACHINE",
       "string values under HKEY_LOCAL_MACHINE\\Software naming a missing file or folder",
       "RES_Problem_Files_And_Folders_HKEY_LOCAL_MACHINE", "Invalid File or Folder"},
      {4, "files-hkcu", "HKEY_CURRENT_USER",
       "string values under HKEY_CURRENT_USER naming a missing file or folder",
       "RES_Problem_Files_And_Folders_HKEY_CURRENT_USER", "Invalid File or Folder"},
      {5, "files-hku", "HKEY_USERS",
       "string values under HKEY_USERS naming a missing file or folder",
       "RES_Problem_Files_And_Folders_HKEY_USERS", "Invalid File or Folder"},
      {6, "software-locations", "Software Locations",
       "application paths (App Paths) whose program is missing", "RES_Problem_Applications_Path",
       "Software Locations Issue"},
      {7, "fonts", "Windows Fonts", "font entries whose file is not in the Fonts folder",
       "RES_Problem_Fonts", "Fonts Issue"},
      {8, "help-files", "Invalid Help Files", "registered help files that are missing",
       "RES_Problem_Help", "Invalid Help Files"},
      {9, "shared-dlls", "Shared DLLs", "shared library counters for files that are missing",
       "RES_Problem_SharedDll", "Missing Shared Dlls"},
      {10, "startup", "Startup Programs",
       "programs started at logon (Run, RunOnce) that are missing", "RES_Problem_Startup_Run",
       "Missing Startup Programs"},
      {11, "add-remove", "Add/Remove Programs", "uninstall entries that give no way to uninstall",
       "RES_Problem_AddRomve", "Add/Remove Programs Issue"},
      {12, "file-extensions", "File Extensions", "file-type keys that hold nothing",
       "RES_Problem_FileExtension", "Unused File Extension"},
      {13, "custom-controls", "Custom Controls",
       "COM classes naming a missing file, interfaces of unregistered type libraries",
       "RES_Problem_Custom_Controls", "Custom Controls Issue"},
      {14, "obsolete-software", "Obsolete Software", "empty top-level software keys",
       "RES_Problem_Obsolete_Software", "Obsolete Software Key"},
      {15, "services", "Windows Services", "services whose program is missing",
       "RES_Problem_Windows_Service", "Windows Service Issue"},
      {16, "start-menu", "Start Menu", "Start menu order keys of program folders that are gone",
       "RES_Problem_Start_Menu", "Old Start Menu Key"},
      {17, "shortcuts", "Shortcuts", "shortcut files whose target is missing",
       "RES_Problem_ShortCuts", "Missing ShortCut reference"},
      {18, "sounds", "Sound and Appevents", "sound events naming a missing sound file",
       "RES_Problem_Sound", "Missing Sound File"},
      {19, "activex", "Invalid ActiveX",
       "type libraries and COM classes naming missing files or unregistered applications",
       "RES_Problem_ActiveX", "ActiveX Issue"},
      {20, "mru", "MRU and History Lists",
       "recent-file lists and program-usage records of missing files", "RES_Problem_MRU",
       "Missing MRU and History Lists file"},
      {21, "installer", "Installer",
       "installer records (uninstall commands, folders, cache) of missing items",
       "RES_Problem_Installer", "Installer Reference Issue"},
      {22, "applications", "Applications", "\"open with\" applications whose program is missing",
       "RES_Problem_Applications", "Open with Application Issue"},
      {23, "empty-keys", "(no section)", "empty registry keys (reports nothing today)", "", ""},
  };
  return sections;
}

std::optional<int> TaskForSectionName(std::string_view name) {
  for (const ScanSection& section : ScanSections())
    if (AsciiEqualsNoCase(name, section.name)) return section.task;
  return std::nullopt;
}

std::string RenderSectionList(const Translation& texts) {
  std::string out = "task  name                caption and what it looks for\n";
  for (const ScanSection& section : ScanSections()) {
    std::string number = std::to_string(section.task);
    std::string name = section.name;
    number.insert(0, 4 - number.size(), ' ');
    name.resize(std::max<std::size_t>(name.size(), 18), ' ');
    out += number + "  " + name + "  " + section.caption + ": " + section.looksFor;
    if (*section.problemKey)
      out += " (\"" + texts.GetLanString(section.problemKey, section.problem) + "\")";
    out += "\n";
  }
  return out;
}

}  // namespace hs
