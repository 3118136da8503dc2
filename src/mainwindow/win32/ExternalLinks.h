#pragma once
// What the main window hands to other programs through the shell: web pages
// and the system's backup tool.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs::mainwindow {

// The shell's "Open" verb, normal window; a failure shows nothing.
void OpenAddress(HWND owner, const std::string& address);

// "&Windows Backup...": the system's backup tool that exists on this Windows
// (ntbackup.exe, else sdclt.exe), started through the shell. When neither
// exists, `tell` says so and false is returned.
bool StartWindowsBackup(HWND owner, FileSystemBackend& fs, bool wow64,
                        const std::function<void(HWND, const std::string&)>& tell);

}  // namespace hs::mainwindow
