// The repair run over many findings: each export is read back and checked,
// so the cost per row must not grow with the size of the backup file.
#include <benchmark/benchmark.h>

#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "repair/Repair.h"

namespace hs {
namespace {

void BM_RepairKeyFindings(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    MemoryRegistry reg;
    MemoryFileSystem fs;
    fs.addFolder("C:\\B");
    std::vector<Finding> rows;
    for (int i = 0; i < count; ++i) {
      const std::string path = "Software\\Bench\\Program " + std::to_string(i);
      TRegistry key(reg, RootKey::CurrentUser);
      key.OpenPath(path, true);
      key.WriteValueText("", "C:\\Program Files\\Gone\\program" + std::to_string(i) + ".exe");
      key.WriteValueText("Path", "C:\\Program Files\\Gone");
      key.WriteValue({"Flags", kRegBinary, std::vector<std::uint8_t>(40, 7)});
      rows.push_back({"missing", "HKEY_CURRENT_USER\\" + path, "", FindingKind::fkKey, true, 3});
    }
    RepairHooks hooks;
    hooks.clock = [] { return LocalDateTime{2024, 1, 1, 0, 0, 0}; };
    RepairRun run(reg, fs, "C:\\B", false, hooks);
    state.ResumeTiming();
    const RepairOutcome outcome = run.Run(rows);
    benchmark::DoNotOptimize(outcome.processedCount);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RepairKeyFindings)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hs

BENCHMARK_MAIN();
