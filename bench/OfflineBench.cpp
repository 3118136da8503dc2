// The offline program's reading speed and memory: a walk of a generated
// 400,000-key hive through the hive backend (keys per second; peak memory
// against the file's size), and a full offline scan of the real SYSTEM,
// NTUSER.DAT and UsrClass.dat (wall time, peak memory). The hives are made
// or decompressed once into bench-data/ beside this program (the build
// folder); none is kept in the project.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/ScanCommand.h"
#include "offline/posix/OfflineSession.h"
#include "scan/BareEnumeration.h"

namespace hs::bench {
namespace {

namespace fs = std::filesystem;

// Four levels of 25: 25 + 625 + 15,625 + 390,625 = 406,900 keys. hivex
// rewrites a parent's subkey list on every child it adds and never reuses the
// old one, so a broad tree makes a file of mostly dead cells (400 x 999 made
// 2.2 GB); this fan-out keeps the file near what Windows would write.
constexpr int kFanOut = 25;
constexpr int kLevels = 4;

std::string Scratch() {
  static const std::string folder = [] {
    const fs::path path = fs::read_symlink("/proc/self/exe").parent_path() / "bench-data";
    fs::create_directories(path);
    return path.string();
  }();
  return folder;
}

std::string HivesSource() {
  const char* set = std::getenv("HS_HIVES");
  return set ? set : "../shared/hives";
}

bool Unpack(const std::string& relative, const std::string& to) {
  if (fs::exists(to)) return true;
  fs::create_directories(fs::path(to).parent_path());
  const std::string command = "xz -dc '" + HivesSource() + "/" + relative + ".xz' > '" + to + "'";
  return std::system(command.c_str()) == 0;
}

// Starts the high-water mark of resident memory again from what is resident
// now, so that each benchmark sees only its own peak.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Peak resident memory of this process since ResetPeak, in bytes (VmHWM).
std::uint64_t PeakBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}
std::uint64_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

// A tree of 406,900 keys, every key with a string and a number value.
std::string BigHive() {
  const std::string path = Scratch() + "/big.hive";
  if (fs::exists(path)) return path;
  const std::string empty = Scratch() + "/EmptyHive";
  if (!Unpack("recovery/EmptyHive", empty)) return "";
  std::ofstream(Scratch() + "/big.py") << R"PY(
import hivex, shutil, sys
shutil.copy(sys.argv[1], sys.argv[2] + ".tmp")
h = hivex.Hivex(sys.argv[2] + ".tmp", write=True)
def values(node, i):
    h.node_set_values(node, [
        {"key": "Path", "t": 1, "value": ("C:\\Program Files\\App%d\\app.exe\0" % i).encode("utf-16le")},
        {"key": "Count", "t": 4, "value": i.to_bytes(4, "little")}])
fan, levels = int(sys.argv[3]), int(sys.argv[4])
def grow(parent, level):
    for k in range(fan):
        child = h.node_add_child(parent, "Key%02d" % k)
        values(child, k)
        if level + 1 < levels: grow(child, level + 1)
grow(h.root(), 0)
h.commit(sys.argv[2])
)PY";
  const std::string command = "/usr/bin/python3 '" + Scratch() + "/big.py' '" + empty + "' '" +
                              path + "' " + std::to_string(kFanOut) + " " + std::to_string(kLevels);
  return std::system(command.c_str()) == 0 ? path : "";
}

// Each round opens the hive afresh (logs looked for, hivex's own pass over
// the file, no name index yet) and walks it once, as a scan does. "keys/s"
// counts both; "walk_keys/s" the walk alone, without the opening.
void BM_HiveWalk400k(benchmark::State& state) {
  const std::string path = BigHive();
  if (path.empty()) return state.SkipWithError("cannot make the hive (python3-hivex?)");
  ResetPeak();
  const std::uint64_t before = ResidentBytes();
  EnumerationCount count;
  std::chrono::duration<double> opening{0}, walking{0};
  for (auto _ : state) {
    const auto started = std::chrono::steady_clock::now();
    std::string error;
    std::optional<offline::LoadedHive> loaded = offline::LoadHive(path, error);
    if (!loaded) return state.SkipWithError(error.c_str());
    std::shared_ptr<offline::HiveFile> hive = offline::HiveFile::Open(std::move(*loaded), error);
    if (!hive) return state.SkipWithError(error.c_str());
    offline::OfflineRegistry registry;
    registry.mount(RootKey::LocalMachine, "BIG", {{hive, hive->root()}});
    const auto opened = std::chrono::steady_clock::now();
    opening += opened - started;
    count = {};
    BareEnumerate(registry, RootKey::LocalMachine, "BIG", count);
    benchmark::DoNotOptimize(count);
    walking += std::chrono::steady_clock::now() - opened;
  }
  const double fileBytes = static_cast<double>(fs::file_size(path));
  const double peak = static_cast<double>(PeakBytes() - before);
  state.counters["keys"] = static_cast<double>(count.keys);
  state.counters["keys/s"] =
      benchmark::Counter(static_cast<double>(count.keys) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  const double rounds = static_cast<double>(state.iterations());
  state.counters["open_ms"] = opening.count() * 1e3 / rounds;
  state.counters["walk_keys/s"] = static_cast<double>(count.keys) * rounds / walking.count();
  state.counters["file_MB"] = fileBytes / 1e6;
  state.counters["peak_MB"] = peak / 1e6;
  // Target: peak <= file + 0.3 KB per key; below 1 is within it.
  state.counters["peak/budget"] = peak / (fileBytes + 300.0 * static_cast<double>(count.keys));
}
BENCHMARK(BM_HiveWalk400k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A volume of the real hives: SYSTEM, the user's NTUSER.DAT and dirty
// UsrClass.dat (replayed), SOFTWARE the empty hive with the profile list.
std::string RealVolume() {
  const std::string volume = Scratch() + "/volume";
  const std::string config = volume + "/Windows/System32/config";
  const std::string user = volume + "/Users/Ann";
  const std::string classes = user + "/AppData/Local/Microsoft/Windows/";
  bool ok = Unpack("real/SYSTEM", config + "/SYSTEM") &&
            Unpack("real/NTUSER.DAT", user + "/NTUSER.DAT") &&
            Unpack("recovery/EmptyHive", config + "/DEFAULT") &&
            Unpack("real/UsrClass.dat", classes + "UsrClass.dat") &&
            Unpack("real/UsrClass.dat.LOG1", classes + "UsrClass.dat.LOG1") &&
            Unpack("real/UsrClass.dat.LOG2", classes + "UsrClass.dat.LOG2");
  if (!ok) return "";
  if (fs::exists(config + "/SOFTWARE")) return volume;
  std::ofstream(Scratch() + "/software.py") << R"PY(
import hivex, shutil, sys
shutil.copy(sys.argv[1], sys.argv[2])
h = hivex.Hivex(sys.argv[2], write=True)
def key(path):
    node = h.root()
    for part in path.split("\\"):
        node = h.node_get_child(node, part) or h.node_add_child(node, part)
    return node
sz = lambda n, s, t=1: {"key": n, "t": t, "value": (s + "\0").encode("utf-16le")}
h.node_set_values(key("Microsoft\\Windows NT\\CurrentVersion"), [sz("SystemRoot", "C:\\Windows")])
h.node_set_values(key("Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1001"),
                  [sz("ProfileImagePath", "C:\\Users\\Ann", 2)])
h.commit(sys.argv[2])
)PY";
  const std::string command = "/usr/bin/python3 '" + Scratch() + "/software.py' '" + config +
                              "/DEFAULT' '" + config + "/SOFTWARE'";
  return std::system(command.c_str()) == 0 ? volume : "";
}

void BM_OfflineFullScanRealHives(benchmark::State& state) {
  const std::string volume = RealVolume();
  if (volume.empty()) return state.SkipWithError("no real hives (HS_HIVES)");
  ResetPeak();
  const std::uint64_t before = ResidentBytes();
  std::size_t rows = 0;
  for (auto _ : state) {
    offline::OfflineArgs args;
    args.windows = volume;
    int exitCode = 0;
    std::optional<offline::OfflineSession> session =
        offline::OpenSession("scan", args, true, exitCode);
    if (!session) return state.SkipWithError("the volume does not open");
    const cli::CliProcess process = session->process();
    const ScanSettings scanSettings =
        ScanSettings::From(process.settings, process.facts, process.texts);
    const ScanCommandResult result =
        RunScanCommand(session->installation->registry(), *session->volume, scanSettings,
                       process.settings, DefaultScanTasks());
    rows = result.findings.size();
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["peak_MB"] = static_cast<double>(PeakBytes() - before) / 1e6;
}
BENCHMARK(BM_OfflineFullScanRealHives)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace hs::bench
