#include "mainwindow/win32/ExternalLinks.h"

#include <shellapi.h>

#include "platform/win32/WideText.h"
#include "restore/FullBackup.h"

namespace hs::mainwindow {

using win32::Widen;

void OpenAddress(HWND owner, const std::string& address) {
  ::ShellExecuteW(owner, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool StartWindowsBackup(HWND owner, FileSystemBackend& fs, bool wow64,
                        const std::function<void(HWND, const std::string&)>& tell) {
  const std::string systemRoot = fs.expandEnvironment("%SystemRoot%").value_or("%SystemRoot%");
  const std::optional<std::string> tool = FindSystemBackupTool(fs, systemRoot, wow64);
  if (!tool) {
    tell(owner,
         "No backup tool of Windows was found on this system (neither ntbackup.exe nor "
         "sdclt.exe in " +
             systemRoot + "\\system32).");
    return false;
  }
  OpenAddress(owner, *tool);
  return true;
}

}  // namespace hs::mainwindow
