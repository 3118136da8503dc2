// hivesweep-offline check / users: what the installation holds and how each
// hive reads, before anything relies on it.
#include <cstdio>

#include "findings/Report.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/OfflineCommands.h"
#include "offline/posix/OfflineInstallation.h"

namespace hs::offline {

namespace {

std::string Version(const HiveUse& use) {
  if (!use.state.block) return "?";
  return std::to_string(use.state.block->major) + "." + std::to_string(use.state.block->minor);
}

std::string ReplayText(const HiveUse& use) {
  if (!use.state.block) return use.error.empty() ? "not a hive" : use.error;
  std::string text = ReplayOutcomeName(use.state.outcome);
  if (!use.state.detail.empty()) text += " (" + use.state.detail + ")";
  if (!use.hive && !use.error.empty()) text += "; unreadable: " + use.error;
  return text;
}

std::string LogList(const HiveUse& use) {
  std::string list;
  for (const std::string& log : use.state.logPaths) list += (list.empty() ? "" : ", ") + log;
  return list.empty() ? "none" : list;
}

std::string CheckLine(const HiveUse& use) {
  const BaseBlock block = use.state.block.value_or(BaseBlock{});
  return use.role + "\n  file      " + use.path + "\n  format    " + Version(use) +
         "\n  state     " + (use.state.dirty() ? "dirty" : "clean") + " (sequence numbers " +
         std::to_string(block.primarySequence) + ", " + std::to_string(block.secondarySequence) +
         ")\n  checksum  " + (block.checksumValid ? "valid" : "wrong") + "\n  logs      " +
         LogList(use) + "\n  reading   " + ReplayText(use) + "\n";
}

std::string CheckJson(const HiveUse& use) {
  const BaseBlock block = use.state.block.value_or(BaseBlock{});
  std::string logs;
  for (const std::string& log : use.state.logPaths)
    logs += (logs.empty() ? "" : ",") + JsonQuoted(log);
  return "{\"role\":" + JsonQuoted(use.role) + ",\"path\":" + JsonQuoted(use.path) +
         ",\"format\":" + JsonQuoted(Version(use)) +
         ",\"dirty\":" + (use.state.dirty() ? "true" : "false") +
         ",\"primarySequence\":" + std::to_string(block.primarySequence) +
         ",\"secondarySequence\":" + std::to_string(block.secondarySequence) +
         ",\"checksumValid\":" + (block.checksumValid ? "true" : "false") + ",\"logs\":[" + logs +
         "],\"outcome\":" + JsonQuoted(ReplayOutcomeName(use.state.outcome)) +
         ",\"readable\":" + (use.hive ? "true" : "false") +
         ",\"detail\":" + JsonQuoted(use.hive ? use.state.detail : use.error) + "}";
}

std::unique_ptr<OfflineInstallation> OpenInstallation(const std::string& command,
                                                      const std::string& dir, int& exitCode) {
  std::string error;
  std::unique_ptr<OfflineInstallation> installation = OfflineInstallation::Locate(dir, error);
  if (installation && installation->openMachineHives(error)) return installation;
  std::fprintf(stderr, "hivesweep-offline %s: %s\n", command.c_str(), error.c_str());
  exitCode = kExitEnvironment;
  return nullptr;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  const OfflineArgs parsed = ParseOfflineArgs(args, {"--windows", "--json"});
  if (!parsed.error.empty()) return OfflineBadUsage("check", parsed.error);
  if (parsed.windows.empty()) return OfflineBadUsage("check", "--windows DIR is needed");
  std::string error;
  std::unique_ptr<OfflineInstallation> installation =
      OfflineInstallation::Locate(parsed.windows, error);
  if (!installation) {
    std::fprintf(stderr, "hivesweep-offline check: %s\n", error.c_str());
    return kExitEnvironment;
  }
  const bool machineReadable = installation->openMachineHives(error);
  if (machineReadable) installation->mountRegistry(std::nullopt);
  int exitCode = machineReadable ? kExitOk : kExitEnvironment;
  std::string out = parsed.json ? "[" : "";
  for (const HiveUse& use : installation->hives()) {
    if (use.state.stale() && exitCode == kExitOk) exitCode = kExitStale;
    if (!use.hive) exitCode = kExitEnvironment;
    if (parsed.json)
      out += (out.size() > 1 ? "," : "") + CheckJson(use);
    else
      out += CheckLine(use);
  }
  if (parsed.json) out += "]\n";
  std::fputs(out.c_str(), stdout);
  if (!machineReadable) std::fprintf(stderr, "hivesweep-offline check: %s\n", error.c_str());
  return exitCode;
}

int RunUsers(const std::vector<std::string>& args) {
  const OfflineArgs parsed = ParseOfflineArgs(args, {"--windows"});
  if (!parsed.error.empty()) return OfflineBadUsage("users", parsed.error);
  if (parsed.windows.empty()) return OfflineBadUsage("users", "--windows DIR is needed");
  int exitCode = kExitOk;
  std::unique_ptr<OfflineInstallation> installation =
      OpenInstallation("users", parsed.windows, exitCode);
  if (!installation) return exitCode;
  for (const Profile& profile : installation->profiles()) {
    std::printf(
        "%s\t%s\t%s\tNTUSER.DAT %s\tUsrClass.dat %s%s\n", profile.sid.c_str(), profile.name.c_str(),
        profile.windowsPath.c_str(), profile.ntuserPath.empty() ? "missing" : "present",
        profile.usrClassPath.empty() ? "missing" : "present", profile.system ? "\t(system)" : "");
  }
  return kExitOk;
}

}  // namespace hs::offline
