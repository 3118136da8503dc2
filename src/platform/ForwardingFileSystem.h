#pragma once
// A file system that passes every call on to another: the base of wrappers
// that watch or time some calls (they override only those), so that a new
// call of the interface reaches the real one without being listed in each.
#include "platform/FileSystemBackend.h"

namespace hs {

class ForwardingFileSystem : public FileSystemBackend {
 public:
  explicit ForwardingFileSystem(FileSystemBackend& inner) : m_inner(inner) {}

  PathProbe probe(const std::string& path) override { return m_inner.probe(path); }
  DriveType driveType(char letter) override { return m_inner.driveType(letter); }
  bool volumeReady(const std::string& root) override { return m_inner.volumeReady(root); }
  std::optional<std::string> expandEnvironment(const std::string& text) override {
    return m_inner.expandEnvironment(text);
  }
  std::string specialFolder(int csidl) override { return m_inner.specialFolder(csidl); }
  FsStatus listDirectory(const std::string& folder, std::vector<DirEntry>& out) override {
    return m_inner.listDirectory(folder, out);
  }
  ShortcutTarget readShortcut(const std::string& path) override {
    return m_inner.readShortcut(path);
  }
  FsStatus createDirectory(const std::string& path) override {
    return m_inner.createDirectory(path);
  }
  FsStatus openForWrite(const std::string& path, bool append,
                        std::unique_ptr<FileWriter>& out) override {
    return m_inner.openForWrite(path, append, out);
  }
  FsStatus readFile(const std::string& path, std::string& out) override {
    return m_inner.readFile(path, out);
  }
  FsStatus readFileFrom(const std::string& path, std::uint64_t offset, std::string& out) override {
    return m_inner.readFileFrom(path, offset, out);
  }
  FsStatus replaceFile(const std::string& from, const std::string& to) override {
    return m_inner.replaceFile(from, to);
  }
  bool deleteSilently(const std::string& path) override { return m_inner.deleteSilently(path); }
  bool moveToRecycleBin(const std::string& path) override { return m_inner.moveToRecycleBin(path); }
  const CodePage& ansiCodePage() const override { return m_inner.ansiCodePage(); }
  FsStatus resolvePath(const std::string& path, std::string& out) override {
    return m_inner.resolvePath(path, out);
  }
  FsStatus isLink(const std::string& path, bool& link) override {
    return m_inner.isLink(path, link);
  }
  FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) override {
    return m_inner.createPrivateTempFile(path, out);
  }
  std::string lastErrorText() override { return m_inner.lastErrorText(); }

 protected:
  FileSystemBackend& inner() { return m_inner; }

 private:
  FileSystemBackend& m_inner;
};

}  // namespace hs
