// Scan speed of the files-and-folders tasks (3, 4, 5) against a bare
// enumeration of the same registry (every key opened, every value read, no
// checks), both on the in-memory backends and measured in the same run.
// This world holds only the generated trees; the full scan has its own
// (FullScanBench.cpp), so these figures stay comparable from run to run.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "bench/BenchWorld.h"
#include "scan/BareEnumeration.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs::bench {
namespace {

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
    probeSeconds += files.seconds;
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
}  // namespace hs::bench
