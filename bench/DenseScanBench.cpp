// The console scan of task 4 on the finding-dense HKEY_CURRENT_USER of
// scripts/bench-world-dense-hkcu.py (20,000 keys of five values, 40 % of them
// naming a program in one of 1,500 removed product folders), rows collected,
// filtered and rendered as the report, against the bare enumeration of the
// same tree: the engine's own share of the Wine benchmark's dense world.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "bench/BenchWorld.h"
#include "cli/ScanCommand.h"
#include "settings/Settings.h"

namespace hs::bench {
namespace {

constexpr int kDenseMakers = 150;

std::string DenseRemovedFolder(std::mt19937& random) {
  const int maker = static_cast<int>(random() % kDenseMakers);
  const std::string product = "\\Product" + std::to_string(random() % 10);
  if (maker % 2) return "C:\\Program Files\\Maker" + std::to_string(maker) + product;
  return "C:\\Program Files\\Gone Maker" + std::to_string(maker) + product;
}

std::string DenseMissingProgram(std::mt19937& random) {
  const std::string folder = DenseRemovedFolder(random);
  const std::string k = std::to_string(random() % 8);
  switch (random() % 6) {
    case 0:
      return folder + "\\app.exe";
    case 1:
      return "\"" + folder + "\\app.exe\" /min";
    case 2:
      return folder + "\\lib" + k + ".dll";
    case 3:
      return folder + "\\tool" + k + ".exe -embedding";
    case 4:
      return "\"" + folder + "\\setup" + k + ".exe\" /uninstall";
    default:
      return folder + "\\plugins\\plugin" + k + ".dll";
  }
}

RegValue DenseOtherValue(std::mt19937& random, const std::string& name) {
  const int n = static_cast<int>(random() % 100000);
  const std::string present = "C:\\Program Files\\Maker" + std::to_string(random() % kDenseMakers) +
                              (random() % 2 ? "\\Current\\app.exe" : "\\Current\\core.dll");
  switch (random() % 5) {
    case 0:
      return StringValue(name, "Setting " + std::to_string(n));
    case 1:
      return {name, kRegDword, {static_cast<std::uint8_t>(n), 0, 0, 0}};
    case 2:
      return StringValue(name, present);
    case 3:
      return {name, kRegBinary, {1, 2, 3, 4}};
    default:
      return StringValue(name, std::to_string(n));
  }
}

World& DenseWorld() {
  static std::unique_ptr<World> world = [] {
    auto made = std::make_unique<World>();
    for (int maker = 0; maker < kDenseMakers; ++maker) {
      const std::string folder = "C:\\Program Files\\Maker" + std::to_string(maker) + "\\Current";
      made->files.addFile(folder + "\\app.exe");
      made->files.addFile(folder + "\\core.dll");
    }
    std::mt19937 random(20261210);
    for (int i = 0; i < 20000; ++i) {
      const std::string path = "Software\\HsDense\\A" + std::to_string(i / 1000) + "\\B" +
                               std::to_string(i / 50 % 20) + "\\C" + std::to_string(i % 50);
      RegKeyPtr key;
      made->registry.openKey(RootKey::CurrentUser, nullptr, path, RegAccess::All, true, key);
      for (int v = 0; v < 5; ++v) {
        const std::string name = "Value" + std::to_string(v);
        made->registry.setValue(*key, random() % 100 < 40
                                          ? StringValue(name, DenseMissingProgram(random))
                                          : DenseOtherValue(random, name));
      }
    }
    BareEnumerate(made->registry, RootKey::CurrentUser, "", made->size);
    return made;
  }();
  return *world;
}

double g_denseBareSeconds = 0;

void BM_DenseBareEnumeration(benchmark::State& state) {
  World& world = DenseWorld();
  double total = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    EnumerationCount count;
    BareEnumerate(world.registry, RootKey::CurrentUser, "", count);
    benchmark::DoNotOptimize(count);
    total += CpuSeconds() - start;
  }
  g_denseBareSeconds = total / static_cast<double>(state.iterations());
  state.counters["keys"] = static_cast<double>(world.size.keys);
  state.counters["values"] = static_cast<double>(world.size.values);
}

void BM_DenseTask4WithReport(benchmark::State& state) {
  World& world = DenseWorld();
  const Settings settings;
  const ScanSettings scanSettings;
  ScanCommandOptions options;
  double total = 0;
  std::size_t rows = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const ScanCommandResult result =
        RunScanCommand(world.registry, world.files, scanSettings, settings, {"4"});
    const std::string report = RenderScanOutput(result.findings, options, scanSettings.Texts);
    benchmark::DoNotOptimize(report.data());
    total += CpuSeconds() - start;
    rows = result.findings.size();
  }
  const double seconds = total / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["ratio_to_bare"] = g_denseBareSeconds > 0 ? seconds / g_denseBareSeconds : 0;
}

BENCHMARK(BM_DenseBareEnumeration)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DenseTask4WithReport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace hs::bench
