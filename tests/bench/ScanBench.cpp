// Scan speed of the files-and-folders tasks (3, 4, 5) against a bare
// enumeration of the same registry (every key opened, every value read, no
// checks), both on the in-memory backends and measured in the same run.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>

#include "common/Text.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "scan/BareEnumeration.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs {
namespace {

// CPU time of this thread: steadier than wall time on a shared machine.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr int kVendors = 200;
constexpr int kProducts = 10;

std::string ProductFolder(int vendor, int product) {
  return "C:\\Program Files\\Vendor" + std::to_string(vendor) + "\\Product" +
         std::to_string(product);
}

RegValue StringValue(const std::string& name, const std::string& text, std::uint32_t type = kRegSz) {
  return RegValue{name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

// A registry string that names a file in one of the shapes real ones take.
std::string PathLikeText(std::mt19937& random) {
  const int vendor = static_cast<int>(random() % kVendors);
  const int product = static_cast<int>(random() % kProducts);
  const std::string folder = ProductFolder(vendor, product);
  const int k = static_cast<int>(random() % 6);
  switch (random() % 8) {
    case 0: return folder + "\\app.exe";
    case 1: return "\"" + folder + "\\app.exe\" /min";
    case 2: return folder + "\\lib" + std::to_string(k) + ".dll";
    case 3: return folder + "\\gone" + std::to_string(k) + ".dll";
    case 4: return "C:\\Program Files\\Old" + std::to_string(vendor) + "\\Product" +
                   std::to_string(product) + "\\old.exe";
    case 5: return "%SystemRoot%\\System32\\sys" + std::to_string(random() % 700) + ".dll";
    case 6: return folder + "\\";
    default: return folder + "\\app.exe -embedding";
  }
}

RegValue OtherValue(std::mt19937& random, const std::string& name) {
  const std::uint32_t n = random() % 100000;
  switch (random() % 4) {
    case 0: return StringValue(name, "Some setting " + std::to_string(n));
    case 1: return StringValue(name, "1.2.3." + std::to_string(n));
    case 2: return RegValue{name, kRegDword, {static_cast<std::uint8_t>(n), 0, 0, 0}};
    default: return RegValue{name, kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8}};
  }
}

// Forwards to the in-memory file system and times its existence probes, so
// that the report can tell the engine's cost from the file system's.
class TimedFileSystem : public FileSystemBackend {
 public:
  explicit TimedFileSystem(FileSystemBackend& inner) : m_inner(inner) {}
  double probeSeconds = 0;

  PathProbe probe(const std::string& path) override {
    // Wall clock here: the thread CPU clock is a system call, too dear per probe.
    const auto start = std::chrono::steady_clock::now();
    const PathProbe answer = m_inner.probe(path);
    probeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return answer;
  }
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
  FsStatus replaceFile(const std::string& from, const std::string& to) override {
    return m_inner.replaceFile(from, to);
  }
  bool deleteSilently(const std::string& path) override { return m_inner.deleteSilently(path); }

 private:
  FileSystemBackend& m_inner;
};

struct World {
  MemoryRegistry registry;
  MemoryFileSystem files;
  EnumerationCount size;
};

void AddFiles(MemoryFileSystem& files) {
  files.setEnvironment("SystemRoot", "C:\\Windows");
  for (int dll = 0; dll < 500; ++dll)
    files.addFile("C:\\Windows\\System32\\sys" + std::to_string(dll) + ".dll");
  for (int vendor = 0; vendor < kVendors; ++vendor)
    for (int product = 0; product < kProducts; ++product) {
      const std::string folder = ProductFolder(vendor, product);
      files.addFile(folder + "\\app.exe");
      for (int lib = 0; lib < 5; ++lib) files.addFile(folder + "\\lib" + std::to_string(lib) + ".dll");
    }
}

// Keys Root\Bench\A{i}\B{j}\C{k}: 10 x 20 x n per tree, five values each, a
// third of them path-like strings.
void AddTree(MemoryRegistry& registry, RootKey root, const std::string& top, int keysWanted,
             std::mt19937& random) {
  int made = 0;
  for (int a = 0; made < keysWanted; ++a)
    for (int b = 0; b < 20 && made < keysWanted; ++b)
      for (int c = 0; c < 50 && made < keysWanted; ++c, ++made) {
        const std::string path = top + "\\A" + std::to_string(a) + "\\B" + std::to_string(b) +
                                 "\\C" + std::to_string(c);
        RegKeyPtr key;
        registry.openKey(root, nullptr, path, RegAccess::All, true, key);
        for (int v = 0; v < 5; ++v) {
          const std::string name = "Value" + std::to_string(v);
          registry.setValue(*key, random() % 3 == 0 ? StringValue(name, PathLikeText(random))
                                                    : OtherValue(random, name));
        }
      }
}

World& TheWorld() {
  static std::unique_ptr<World> world = [] {
    auto made = std::make_unique<World>();
    std::mt19937 random(20261208);
    AddFiles(made->files);
    AddTree(made->registry, RootKey::LocalMachine, "Software\\Bench", 110000, random);
    AddTree(made->registry, RootKey::CurrentUser, "Software\\Bench", 60000, random);
    AddTree(made->registry, RootKey::Users, "S-1-5-21\\Software\\Bench", 40000, random);
    BareEnumerate(made->registry, RootKey::LocalMachine, "Software", made->size);
    BareEnumerate(made->registry, RootKey::CurrentUser, "", made->size);
    BareEnumerate(made->registry, RootKey::Users, "", made->size);
    return made;
  }();
  return *world;
}

double g_bareSeconds = 0;

void BM_BareEnumeration(benchmark::State& state) {
  World& world = TheWorld();
  double total = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    EnumerationCount count;
    BareEnumerate(world.registry, RootKey::LocalMachine, "Software", count);
    BareEnumerate(world.registry, RootKey::CurrentUser, "", count);
    BareEnumerate(world.registry, RootKey::Users, "", count);
    benchmark::DoNotOptimize(count);
    total += CpuSeconds() - start;
  }
  g_bareSeconds = total / static_cast<double>(state.iterations());
  state.counters["keys"] = static_cast<double>(world.size.keys);
  state.counters["values"] = static_cast<double>(world.size.values);
  state.counters["string_values"] = static_cast<double>(world.size.stringValues);
}

void BM_ScanTasks3To5(benchmark::State& state) {
  World& world = TheWorld();
  double total = 0;
  std::uint64_t queries = 0;
  std::uint64_t lookups = 0;
  double probeSeconds = 0;
  for (auto _ : state) {
    NullScanSink sink;
    TimedFileSystem files(world.files);
    const double start = CpuSeconds();
    ScanSettings settings;
    ScanContext context(world.registry, files, sink, settings, {"3", "4", "5"});
    RunScanTasks(context);
    total += CpuSeconds() - start;
    queries = context.Memo.Queries();
    lookups = context.Memo.Lookups();
    probeSeconds += files.probeSeconds;
  }
  const double seconds = total / static_cast<double>(state.iterations());
  const double fsSeconds = probeSeconds / static_cast<double>(state.iterations());
  // Ratios of CPU time, bare enumeration measured just before in this run.
  state.counters["ratio_to_bare"] = g_bareSeconds > 0 ? seconds / g_bareSeconds : 0;
  // The same without the time spent inside the in-memory file system.
  state.counters["ratio_to_bare_without_fs"] =
      g_bareSeconds > 0 ? (seconds - fsSeconds) / g_bareSeconds : 0;
  state.counters["fs_ms"] = fsSeconds * 1000;
  state.counters["fs_queries_per_string_value"] =
      static_cast<double>(queries) / static_cast<double>(world.size.stringValues);
  state.counters["fs_queries"] = static_cast<double>(queries);
  state.counters["memo_lookups"] = static_cast<double>(lookups);
}

BENCHMARK(BM_BareEnumeration)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScanTasks3To5)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace hs
