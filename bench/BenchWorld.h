#pragma once
// The generated machine the scan benchmarks run on: in-memory registry and
// file system, filled from a fixed seed, and a file system wrapper that
// times the file system's own share.
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "platform/ForwardingFileSystem.h"
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
RegValue StringValue(const std::string& name, const std::string& text, std::uint32_t type = kRegSz);
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
class TimedFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  double seconds = 0;

  PathProbe probe(const std::string& path) override {
    Timer timer(seconds);
    return inner().probe(path);
  }
  FsStatus listDirectory(const std::string& folder, std::vector<DirEntry>& out) override {
    Timer timer(seconds);
    return inner().listDirectory(folder, out);
  }
  ShortcutTarget readShortcut(const std::string& path) override {
    Timer timer(seconds);
    return inner().readShortcut(path);
  }

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
};

}  // namespace hs::bench
