#pragma once
// What the offline program knows about the Windows installation it reads:
// where its drives are mounted on this machine and the environment, special
// folders and code page its registry records. The hive side fills it; the
// POSIX file system answers from it and never from the machine it runs on.
#include <map>
#include <memory>
#include <string>

#include "common/CodePage.h"
#include "common/Text.h"

namespace hs {

// Orders names as Windows compares them (environment variable names).
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareNoCase(a, b) < 0;
  }
};

struct OfflineVolume {
  // Upper-case drive letter -> host folder holding that drive's root
  // ('C' -> "/mnt/windows" for the volume of --windows, others from --drive).
  std::map<char, std::string> drives;
  // Environment variable name (compared without case) -> value as Windows
  // would expand it ("SystemRoot" -> "C:\Windows"); values are used as they
  // stand, so fill them already expanded.
  std::map<std::string, std::string, NoCaseLess> environment;
  // CSIDL number -> Windows path ("C:\Users\Ann\Desktop").
  std::map<int, std::string> specialFolders;
  // The installation's ANSI code page (from the SYSTEM hive's
  // Control\Nls\CodePage\ACP); Windows-1252 when null. Shared so that a
  // SingleByteCodePage::Find result can be kept alive here.
  std::shared_ptr<const CodePage> ansiCodePage;
  // The Windows folder relative paths are taken from, as a process's current
  // folder ("C:\Windows\System32"); empty: relative paths are Inaccessible.
  std::string currentFolder;
  // A host folder of this user's own for private temporary files (the
  // restore's private copy of a backup); "": none are made.
  std::string hostTempFolder;
  // Whether files of the volume may be made, written and deleted.
  bool writable = false;
};

}  // namespace hs
