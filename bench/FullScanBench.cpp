// Speed of a full scan (the task list of the console's "scan" without
// --sections) against one bare enumeration of every tree it reads, on a
// world that holds the generated trees of ScanBench.cpp plus a few thousand
// entries in each area the other tasks read. Both are measured in the same
// iteration, in CPU time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "bench/BenchWorld.h"
#include "bench/FullScanWorld.h"
#include "cli/ScanCommand.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs::bench {
namespace {

World& TheFullWorld() {
  static std::unique_ptr<World> world = [] {
    auto made = std::make_unique<World>();
    std::mt19937 random(20261208);  // the same trees as the tasks 3-5 world
    AddFiles(made->files);
    AddTree(made->registry, RootKey::LocalMachine, "Software\\Bench", 110000, random);
    AddTree(made->registry, RootKey::CurrentUser, "Software\\Bench", 60000, random);
    AddTree(made->registry, RootKey::Users, "S-1-5-21\\Software\\Bench", 40000, random);
    std::mt19937 areas(20261209);
    AddFullScanAreas(*made, areas);
    EnumerateTaskTrees(made->registry, DefaultScanTasks(), made->size);
    return made;
  }();
  return *world;
}

// Counts findings and the CPU time of each task.
class TaskTimingSink : public NullScanSink {
 public:
  void AddFinding(const Finding& finding) override {
    ++findings;
    ++findingsOfTask[finding.Task];
  }
  void TaskStarted(int) override { m_start = CpuSeconds(); }
  void TaskEnded(int task) override { seconds[task] += CpuSeconds() - m_start; }
  void TaskFailed(int task, const std::string& message) override {
    std::fprintf(stderr, "task %d failed: %s\n", task, message.c_str());
  }

  std::uint64_t findings = 0;
  std::map<int, std::uint64_t> findingsOfTask;
  std::map<int, double> seconds;

 private:
  double m_start = 0;
};

void BM_FullScan(benchmark::State& state) {
  World& world = TheFullWorld();
  const std::vector<std::string> tasks = DefaultScanTasks();
  double bareSeconds = 0;
  double scanSeconds = 0;
  double fsSeconds = 0;
  std::uint64_t findings = 0;
  std::uint64_t queries = 0;
  std::uint64_t lookups = 0;
  std::map<int, double> taskSeconds;
  std::map<int, std::uint64_t> taskFindings;
  for (auto _ : state) {
    state.PauseTiming();
    const double bareStart = CpuSeconds();
    EnumerationCount count;
    EnumerateTaskTrees(world.registry, tasks, count);
    benchmark::DoNotOptimize(count);
    bareSeconds += CpuSeconds() - bareStart;
    state.ResumeTiming();

    TaskTimingSink sink;
    TimedFileSystem files(world.files);
    const double start = CpuSeconds();
    ScanContext context(world.registry, files, sink, ScanSettings{}, tasks);
    RunScanTasks(context);
    scanSeconds += CpuSeconds() - start;
    fsSeconds += files.seconds;
    findings = sink.findings;
    queries = context.Memo.Queries();
    lookups = context.Memo.Lookups();
    for (const auto& [task, seconds] : sink.seconds) taskSeconds[task] += seconds;
    taskFindings = sink.findingsOfTask;
  }
  const double runs = static_cast<double>(state.iterations());
  const double bare = bareSeconds / runs;
  const double scan = scanSeconds / runs;
  const double fs = fsSeconds / runs;
  state.counters["ratio_to_bare"] = bare > 0 ? scan / bare : 0;
  state.counters["ratio_to_bare_without_fs"] = bare > 0 ? (scan - fs) / bare : 0;
  state.counters["scan_ms"] = scan * 1000;
  state.counters["bare_ms"] = bare * 1000;
  state.counters["fs_ms"] = fs * 1000;
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["fs_queries"] = static_cast<double>(queries);
  state.counters["fs_queries_per_string_value"] =
      static_cast<double>(queries) / static_cast<double>(world.size.stringValues);
  state.counters["memo_lookups"] = static_cast<double>(lookups);
  state.counters["keys"] = static_cast<double>(world.size.keys);
  state.counters["values"] = static_cast<double>(world.size.values);
  state.counters["string_values"] = static_cast<double>(world.size.stringValues);
  std::fprintf(stderr, "full scan, CPU ms per task:");
  for (const auto& [task, seconds] : taskSeconds)
    if (seconds / runs >= 0.0005) std::fprintf(stderr, " %d=%.1f", task, seconds / runs * 1000);
  std::fprintf(stderr, "\nfull scan, findings per task:");
  for (const auto& [task, count] : taskFindings)
    std::fprintf(stderr, " %d=%llu", task, static_cast<unsigned long long>(count));
  std::fprintf(stderr, "\n");
}

BENCHMARK(BM_FullScan)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace hs::bench
