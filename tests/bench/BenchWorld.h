#pragma once
// The generated machine the scan benchmarks run on: in-memory registry and
// file system, filled from a fixed seed, and a file system wrapper that
// times the file system's own share.
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "scan/BareEnumeration.h"

namespace hs::bench {

// CPU time of this thread: steadier than wall time on a shared machine.
double CpuSeconds();

constexpr int kVendors = 200;
constexpr int kProducts = 10;

// C:\Program Files\Vendor{v}\Product{p}: holds app.exe and lib0..4.dll.
std::string ProductFolder(int vendor, int product);
RegValue StringValue(const std::string& name, const std::string& text,
                     std::uint32_t type = kRegSz);
// A registry string that names a file in one of the shapes real ones take.
std::string PathLikeText(std::mt19937& random);

// The product folders' files and the system libraries sys0..499.dll.
void AddFiles(MemoryFileSystem& files);
// Keys `top`\A{i}\B{j}\C{k}: 10 x 20 x n per tree, five values each, a third
// of them path-like strings.
void AddTree(MemoryRegistry& registry, RootKey root, const std::string& top, int keysWanted,
             std::mt19937& random);

struct World {
  MemoryRegistry registry;
  MemoryFileSystem files;
  EnumerationCount size;
};

// Forwards to the in-memory file system and times its answers, so that the
// report can tell the engine's cost from the file system's.
class TimedFileSystem : public FileSystemBackend {
 public:
  explicit TimedFileSystem(FileSystemBackend& inner) : m_inner(inner) {}
  double seconds = 0;

  PathProbe probe(const std::string& path) override {
    Timer timer(seconds);
    return m_inner.probe(path);
  }
  DriveType driveType(char letter) override { return m_inner.driveType(letter); }
  bool volumeReady(const std::string& root) override { return m_inner.volumeReady(root); }
  std::optional<std::string> expandEnvironment(const std::string& text) override {
    return m_inner.expandEnvironment(text);
  }
  std::string specialFolder(int csidl) override { return m_inner.specialFolder(csidl); }
  FsStatus listDirectory(const std::string& folder, std::vector<DirEntry>& out) override {
    Timer timer(seconds);
    return m_inner.listDirectory(folder, out);
  }
  ShortcutTarget readShortcut(const std::string& path) override {
    Timer timer(seconds);
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
  FsStatus replaceFile(const std::string& from, const std::string& to) override {
    return m_inner.replaceFile(from, to);
  }
  const CodePage& ansiCodePage() const override { return m_inner.ansiCodePage(); }
  bool deleteSilently(const std::string& path) override { return m_inner.deleteSilently(path); }

 private:
  // Wall clock: the thread CPU clock is a system call, too dear per probe.
  struct Timer {
    explicit Timer(double& total) : m_total(total) {}
    ~Timer() {
      m_total += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    double& m_total;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
  };

  FileSystemBackend& m_inner;
};

}  // namespace hs::bench
