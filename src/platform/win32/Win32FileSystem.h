#pragma once
// FileSystemBackend over kernel32, shell32 and ole32 W functions.
//
// Contracts beyond the interface:
// * probe: only "file not found", "path not found" and the invalid-name
//   answers count as NotFound; every other refusal (access denied, sharing
//   violation, device not ready, network trouble) is Inaccessible, because a
//   path wrongly called missing would cost a valid registry entry.
//   Wildcards are never expanded: "C:\x\*.exe" names no file.
// * volumeReady asks with critical-error prompts off and restores the
//   previous error mode afterwards.
// * readShortcut initialises COM once per calling thread (kept until the
//   thread ends). When COM or the shell link object is unavailable, the
//   answer is readable=false, the same as for a file that is no shortcut.
// * listDirectory, deleteSilently and openForWrite refuse names with
//   wildcards; deleteSilently also refuses drive roots and relative paths.
// * lastErrorText is FormatMessageW's text of the Win32 error behind the
//   last failing call on the calling thread (kept per thread, as
//   GetLastError is); "" once a later call succeeded.
// * resolvePath asks the opened item for its final name (links followed);
//   createPrivateTempFile creates "hs<random>.tmp" in GetTempPath's folder
//   with CREATE_NEW, so an existing name or link is never opened.
// * The object holds no state; any thread may use it.
#include "common/win32/AnsiCodePage.h"
#include "platform/FileSystemBackend.h"

namespace hs::win32 {

class Win32FileSystem : public FileSystemBackend {
 public:
  PathProbe probe(const std::string& path) override;
  DriveType driveType(char letter) override;
  bool volumeReady(const std::string& root) override;
  std::optional<std::string> expandEnvironment(const std::string& text) override;
  std::string specialFolder(int csidl) override;
  FsStatus listDirectory(const std::string& folder, std::vector<DirEntry>& out) override;
  ShortcutTarget readShortcut(const std::string& path) override;
  FsStatus createDirectory(const std::string& path) override;
  FsStatus openForWrite(const std::string& path, bool append,
                        std::unique_ptr<FileWriter>& out) override;
  FsStatus readFile(const std::string& path, std::string& out) override;
  FsStatus readFileFrom(const std::string& path, std::uint64_t offset, std::string& out) override;
  FsStatus replaceFile(const std::string& from, const std::string& to) override;
  bool deleteSilently(const std::string& path) override;
  // Files only, through the shell with undo allowed and no question asked.
  bool moveToRecycleBin(const std::string& path) override;
  std::string lastErrorText() override;
  FsStatus resolvePath(const std::string& path, std::string& out) override;
  FsStatus isLink(const std::string& path, bool& link) override;
  FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) override;
  const CodePage& ansiCodePage() const override { return m_ansiCodePage; }

 private:
  AnsiCodePage m_ansiCodePage;
};

}  // namespace hs::win32
