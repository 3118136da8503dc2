// hivesweep-offline export: one hive file as a version 5 .reg file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "common/Text.h"
#include "offline/OfflineUsage.h"
#include "offline/RegExport.h"
#include "offline/posix/OfflineCommands.h"
#include "offline/posix/OfflineRegistry.h"

namespace hs::offline {

namespace {

namespace fs = std::filesystem;

// The name the file's root key takes in the export, from the file's name.
std::string RootNameFor(const std::string& path) {
  const std::string file = fs::path(path).filename().string();
  if (EqualsNoCase(file, "NTUSER.DAT")) return "HKEY_CURRENT_USER";
  if (EqualsNoCase(file, "UsrClass.dat")) return "HKEY_CURRENT_USER\\Software\\Classes";
  if (EqualsNoCase(file, "DEFAULT")) return "HKEY_USERS\\.DEFAULT";
  return "HKEY_LOCAL_MACHINE\\" + UpperCase(file);
}

int FailExport(const std::string& message) {
  std::fprintf(stderr, "hivesweep-offline export: %s\n", message.c_str());
  return kExitEnvironment;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
  const OfflineArgs parsed = ParseOfflineArgs(args, {"--hive", "--key", "--out"});
  if (!parsed.error.empty()) return OfflineBadUsage("export", parsed.error);
  if (parsed.hive.empty()) return OfflineBadUsage("export", "--hive FILE is needed");
  std::string error;
  std::optional<LoadedHive> loaded = LoadHive(parsed.hive, error);
  if (!loaded) return FailExport("cannot read " + parsed.hive + ": " + error);
  if (loaded->state.outcome == ReplayOutcome::NotAHive)
    return FailExport(parsed.hive + " is not a registry hive file");
  const HiveState state = loaded->state;
  std::shared_ptr<HiveFile> hive = HiveFile::Open(std::move(*loaded), error);
  if (!hive) return FailExport(parsed.hive + " is damaged beyond reading (" + error + ")");

  OfflineRegistry registry;
  registry.mount(RootKey::LocalMachine, "HIVE", {{hive, hive->root()}});
  RegKeyPtr key;
  const std::string keyPath = parsed.key.empty() ? "HIVE" : "HIVE\\" + parsed.key;
  if (registry.openKey(RootKey::LocalMachine, nullptr, keyPath, RegAccess::Read, false, key,
                       LastLink::OpenLink) != RegStatus::Ok)
    return OfflineBadUsage("export", "no key " + parsed.key + " in " + parsed.hive);
  const std::string name = RootNameFor(parsed.hive) + (parsed.key.empty() ? "" : "\\" + parsed.key);

  std::ofstream file;
  if (!parsed.out.empty()) {
    file.open(parsed.out, std::ios::binary | std::ios::trunc);
    if (!file) return FailExport("cannot write " + parsed.out);
  }
  std::ostream& out = parsed.out.empty() ? static_cast<std::ostream&>(std::cout) : file;
  const ExportResult result = ExportRegTree(registry, RootKey::LocalMachine, *key, name,
                                            [&](const std::string& bytes) { out << bytes; });
  out.flush();
  if (!result.whole || !out) {
    // Never leave a cut-off export looking like a whole one.
    if (!parsed.out.empty()) {
      file.close();
      std::error_code ec;
      fs::remove(parsed.out, ec);
    }
    return FailExport(parsed.hive + " is damaged beyond reading: " +
                      (result.error.empty() ? "the output could not be written" : result.error) +
                      " (nothing exported)");
  }
  if (state.stale()) {
    std::fprintf(stderr,
                 "hivesweep-offline export: warning: %s is dirty and its transaction logs %s; "
                 "exported as the file stands, which may be out of date (%s)\n",
                 parsed.hive.c_str(),
                 state.outcome == ReplayOutcome::NoLogs ? "are missing" : "cannot be replayed",
                 state.detail.c_str());
    return kExitStale;
  }
  return kExitOk;
}

}  // namespace hs::offline
