#pragma once
// FileSystemBackend over a Windows volume mounted on Linux (ntfs-3g), for the
// offline program. Windows paths reach host folders through the drive map of
// an OfflineVolume; the environment, special folders and code page are the
// installation's, never this machine's.
//
// Contracts beyond the interface:
// * Every name is matched without regard to case by the engine's one folding
//   rule; of two names that differ only in case the exact spelling wins. A
//   name of 8.3 form with "~" is also looked for among the short names
//   ntfs-3g shows as "system.ntfs_dos_name"; when those cannot be read the
//   answer is Inaccessible, never NotFound.
// * Only an answer of the volume itself means missing. A share, a relative
//   path, a drive letter without a folder and a symbolic link (junctions
//   show so) that leads off the mapped drives or cannot be read are
//   Inaccessible.
//   Links are followed by their names inside the mapped drives, never
//   through the host's own tree: on ntfs-3g by the Windows target of their
//   reparse data (ntfs-3g's own link guesses the drive), elsewhere by the
//   link's text.
// * Read-only unless the volume says writable: createDirectory,
//   openForWrite and replaceFile then answer AccessDenied and
//   deleteSilently false; lastErrorText says why. moveToRecycleBin always
//   answers false (there is no bin to put files back from offline), so
//   files are kept. Private temporary files are made on this machine, in
//   the volume's host temporary folder (refused when it names none), named
//   by their host paths; only those host paths are ever deleted by name.
// * Folder listings are kept while the folder's modification time stays the
//   same (FolderCache). Any thread may use it.
#include <set>
#include <string>

#include "offline/posix/FolderCache.h"
#include "offline/posix/OfflineVolume.h"
#include "offline/posix/WindowsPath.h"
#include "platform/FileSystemBackend.h"

namespace hs {

class PosixFileSystem : public FileSystemBackend {
 public:
  explicit PosixFileSystem(OfflineVolume volume);

  // Replaces how short names are read (tests: a file system without them).
  void setDosNameReader(FolderCache::DosNameReader reader) { m_folders.setDosNameReader(reader); }

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
  bool moveToRecycleBin(const std::string& path) override;
  const CodePage& ansiCodePage() const override { return *m_volume.ansiCodePage; }
  FsStatus resolvePath(const std::string& path, std::string& out) override;
  FsStatus isLink(const std::string& path, bool& link) override;
  FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) override;
  std::string lastErrorText() override;

  // Where a Windows path leads on this machine.
  struct Located {
    PathProbe state = PathProbe::NotFound;  // NotFound, File, Folder or Inaccessible
    std::string hostPath;                   // when found
    std::string windowsPath;                // when found: the names as the volume spells them
    bool isLink = false;                    // the last name itself is a symbolic link
  };
  Located locate(const std::string& path, bool followLast = true);

 private:
  Located locateParsed(const WindowsPath& path, bool followLast);
  bool onMappedDrive(std::string& target, char& letter, std::string& root) const;
  FsStatus refuseWrite();
  // The host path a file of the volume is written at: the file, or a new
  // name in an existing folder.
  FsStatus hostPathForWrite(const std::string& path, std::string& host);

  OfflineVolume m_volume;
  FolderCache m_folders;
  std::set<std::string> m_privateFiles;  // host paths made by createPrivateTempFile
};

}  // namespace hs
