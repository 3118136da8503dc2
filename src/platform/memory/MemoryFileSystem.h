#pragma once
// In-memory file system that answers like Windows does: paths compared
// without case, "/" and "\" both separators, trailing dots and blanks of the
// last component ignored. Faults (access denied, read-only folders, a full
// disk) can be injected.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {

class MemoryFileSystem : public FileSystemBackend {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // --- set-up ---
  void addFile(const std::string& path, const std::string& content = {});
  void addFolder(const std::string& path);
  // A folder listed as a junction or symbolic link; what lies below it is
  // added like anywhere else.
  void addFolderLink(const std::string& path);
  // A file or folder link leading to `target`: reads and writes go through
  // it, resolvePath follows it, isLink and deleteSilently see the link itself.
  void addLink(const std::string& path, const std::string& target);
  // Where createPrivateTempFile makes its files (created when missing).
  void setTempFolder(const std::string& folder);
  void addShortcut(const std::string& path, const std::string& target);
  void addUnreadableShortcut(const std::string& path);
  void setDriveType(char letter, DriveType type);
  void setVolumeReady(char letter, bool ready);
  void setEnvironment(const std::string& name, const std::string& value);
  void setSpecialFolder(int csidl, const std::string& path);
  void remove(const std::string& path);
  // The ANSI code page it reports; Windows-1252 until set.
  void setAnsiCodePage(std::shared_ptr<const CodePage> page);

  // --- faults ---
  void denyAccess(const std::string& path);               // probe says Inaccessible, reads fail
  void makeReadOnly(const std::string& folder);           // creating or writing inside fails
  void setFreeBytes(std::optional<std::uint64_t> bytes);  // writes past it: disk full
  void failFlushes(bool fail);

  // --- FileSystemBackend ---
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
  // Deletes like deleteSilently and remembers the path in recycled().
  bool moveToRecycleBin(const std::string& path) override;
  const CodePage& ansiCodePage() const override { return *m_codePage; }
  FsStatus resolvePath(const std::string& path, std::string& out) override;
  FsStatus isLink(const std::string& path, bool& link) override;
  FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) override;

  // How many probes were made: lets tests check that a scan memoizes.
  std::uint64_t probeCount() const { return m_probeCount; }
  // The paths moved to the Recycle Bin, in order.
  const std::vector<std::string>& recycled() const { return m_recycled; }

  struct Node;
  struct State;

 private:
  std::shared_ptr<State> m_state;
  std::uint64_t m_probeCount = 0;
  std::vector<std::string> m_recycled;
  std::shared_ptr<const CodePage> m_codePage = std::make_shared<Windows1252CodePage>();
};

}  // namespace hs
