#pragma once
// The file system and the bits of system information the engine needs. Two
// implementations: in-memory (tests, fixtures, fault injection) and Win32.
// Paths are Windows paths in UTF-8, compared without regard to case.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/CodePage.h"

namespace hs {

// What a look at a path found. Only NotFound means "missing": a path the
// system refuses to look at (access denied, device not ready, network
// trouble) exists as far as anyone knows.
enum class PathProbe { NotFound, File, Folder, Inaccessible };

// Drive types as GetDriveType numbers them.
enum class DriveType : int {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

enum class FsStatus { Ok, NotFound, AccessDenied, DiskFull, Failed };

struct DirEntry {
  std::string name;
  bool isFolder = false;
  std::uint64_t size = 0;
  std::int64_t modifiedUnixSeconds = 0;
  bool isLink = false;  // a junction or symbolic link: may lead back up the tree
};

struct ShortcutTarget {
  bool readable = false;  // the file could be loaded as a shell link
  std::string path;       // empty for links to non-file-system items
};

// A file open for writing; closed on destruction.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual FsStatus write(const std::string& bytes) = 0;
  // Pushes written bytes to the storage; a failure here means they may be lost.
  virtual FsStatus flush() = 0;
};

class FileSystemBackend {
 public:
  virtual ~FileSystemBackend() = default;

  virtual PathProbe probe(const std::string& path) = 0;
  virtual DriveType driveType(char letter) = 0;
  // Whether the drive root ("a:\") holds a readable volume, asked without any
  // "insert a disk" prompt.
  virtual bool volumeReady(const std::string& root) = 0;
  // Expands %VARIABLES%; nothing when the system call fails.
  virtual std::optional<std::string> expandEnvironment(const std::string& text) = 0;
  // The special folder with this CSIDL number, or "" when there is none.
  virtual std::string specialFolder(int csidl) = 0;
  virtual FsStatus listDirectory(const std::string& folder, std::vector<DirEntry>& out) = 0;
  virtual ShortcutTarget readShortcut(const std::string& path) = 0;

  virtual FsStatus createDirectory(const std::string& path) = 0;
  virtual FsStatus openForWrite(const std::string& path, bool append,
                                std::unique_ptr<FileWriter>& out) = 0;
  virtual FsStatus readFile(const std::string& path, std::string& out) = 0;
  // The bytes of a file from `offset` on (none when the file is shorter).
  // Backends that can seek should override this whole-file fallback.
  virtual FsStatus readFileFrom(const std::string& path, std::uint64_t offset, std::string& out) {
    const FsStatus status = readFile(path, out);
    if (status != FsStatus::Ok) return status;
    out.erase(0, offset < out.size() ? static_cast<std::size_t>(offset) : out.size());
    return FsStatus::Ok;
  }
  // Moves `from` over `to` in one step (the target is replaced whole or not at all).
  virtual FsStatus replaceFile(const std::string& from, const std::string& to) = 0;
  // Deletes a file or folder without confirmation or recycle bin.
  virtual bool deleteSilently(const std::string& path) = 0;
  // Moves a file to the Recycle Bin without confirmation; yes when it left its
  // folder. The default keeps the file: a backend without a bin never deletes
  // for good what the user may want back.
  virtual bool moveToRecycleBin([[maybe_unused]] const std::string& path) { return false; }
  // The machine's ANSI code page: the system registry editor reads REGEDIT4
  // files in it, so backups are written and checked in it.
  virtual const CodePage& ansiCodePage() const = 0;

  // The full path of an existing file or folder as the system names it, with
  // ".", ".." and every junction or symbolic link on the way resolved. The
  // defaults answer Failed: a backend that cannot tell must not be trusted.
  virtual FsStatus resolvePath(const std::string& path, std::string& out) {
    out.clear();
    return path.empty() ? FsStatus::NotFound : FsStatus::Failed;
  }
  // Whether the item itself (never what it leads to) is a junction, a
  // symbolic link or another reparse point.
  virtual FsStatus isLink(const std::string& path, bool& link) {
    link = !path.empty();
    return FsStatus::Failed;
  }
  // A new, empty file in the user's own temporary folder, created exclusively:
  // never through an existing name or link. `path` names it; the caller
  // deletes it.
  virtual FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) {
    path.clear();
    out.reset();
    return FsStatus::Failed;
  }

  // The system's own words for the failure of the last call on this thread
  // that returns an FsStatus (a writer's write and flush included), such as
  // "Access is denied."; "" after a success or when the backend has no such
  // texts.
  virtual std::string lastErrorText() { return {}; }
};

// Why a call failed, for people: the backend's lastErrorText when it has one,
// else a short text for the status ("access denied"); "" for Ok and for a
// plain Failed without a system text.
std::string FsFailureReason(FileSystemBackend& fs, FsStatus status);

// CSIDL numbers used by the engine.
namespace csidl {
constexpr int kPrograms = 2;
constexpr int kStartup = 7;
constexpr int kRecent = 8;
constexpr int kStartMenu = 11;
constexpr int kDesktopDirectory = 16;
constexpr int kCommonStartMenu = 22;
constexpr int kCommonPrograms = 23;
constexpr int kCommonStartup = 24;
constexpr int kCommonDesktopDirectory = 25;
constexpr int kAppData = 26;
constexpr int kWindows = 36;
}  // namespace csidl

}  // namespace hs
