#pragma once
// The benchmark's yardstick for file-system cost: the paths a scan asked the
// file system about, recorded as it asks them, and asked again on their own.
// A scan asks each path once (the existence memo), so the record is the set
// of distinct questions, and replaying it costs what the questions alone cost.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs {

// Passes every call on to `inner` and keeps the path of each probe, in order.
class ProbeRecorder : public FileSystemBackend {
 public:
  explicit ProbeRecorder(FileSystemBackend& inner) : m_inner(inner) {}

  const std::vector<std::string>& Paths() const { return m_paths; }

  PathProbe probe(const std::string& path) override;
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
  FsStatus resolvePath(const std::string& path, std::string& out) override {
    return m_inner.resolvePath(path, out);
  }
  FsStatus isLink(const std::string& path, bool& link) override {
    return m_inner.isLink(path, link);
  }
  FsStatus createPrivateTempFile(std::string& path, std::unique_ptr<FileWriter>& out) override {
    return m_inner.createPrivateTempFile(path, out);
  }
  const CodePage& ansiCodePage() const override { return m_inner.ansiCodePage(); }

 private:
  FileSystemBackend& m_inner;
  std::vector<std::string> m_paths;
};

// The record as bytes: each path followed by a NUL (a registry string may
// hold a line break, never a NUL once it reaches a probe).
std::string ProbeLogBytes(const std::vector<std::string>& paths);
// The paths of a record; an unterminated last piece is kept too.
std::vector<std::string> ParseProbeLog(const std::string& bytes);

// Asks the file system about each path once more; how many were found.
std::size_t ReplayProbes(FileSystemBackend& files, const std::vector<std::string>& paths);

}  // namespace hs
