#include "cli/StartupCommand.h"

#include <optional>

#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "common/Text.h"
#include "findings/Report.h"
#include "startup/StartupApproval.h"

namespace hs {
namespace {

CommandOutput Failed(int code, std::string message) {
  CommandOutput output;
  output.exitCode = code;
  output.err = std::move(message) + "\n";
  return output;
}

const char* StateName(StartupState state) {
  switch (state) {
    case StartupState::Enabled:
      return "enabled";
    case StartupState::Disabled:
      return "disabled";
    case StartupState::NotSwitchable:
      return "always";
  }
  return "enabled";
}

std::string ListText(const std::vector<StartupEntry>& entries, bool json) {
  std::string out = json ? "[" : "";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const StartupEntry& entry = entries[i];
    if (!json) {
      out += entry.caption + "\t" + StateName(entry.state) + "\t" + entry.location + "\t" +
             entry.file + "\n";
      continue;
    }
    out += std::string(i ? ",\n " : "\n ") + "{\"name\": " + JsonQuoted(entry.caption) +
           ", \"command\": " + JsonQuoted(entry.file) +
           ", \"location\": " + JsonQuoted(entry.location) +
           ", \"state\": " + JsonQuoted(StateName(entry.state)) + "}";
  }
  if (json) out += entries.empty() ? "]\n" : "\n]\n";
  return out;
}

// The entries NAME (and LOCATION, when given) pick: registry value names and
// file names match without regard to case, as the system matches them.
std::vector<StartupEntry> Matching(const std::vector<StartupEntry>& entries,
                                   const StartupArguments& args) {
  std::vector<StartupEntry> found;
  for (const StartupEntry& entry : entries)
    if (EqualsNoCase(entry.caption, args.name) &&
        (args.location.empty() || EqualsNoCase(entry.location, args.location)))
      found.push_back(entry);
  return found;
}

CommandOutput Switch(const std::vector<StartupEntry>& entries, const StartupArguments& args,
                     RegistryBackend& registry, const std::function<std::uint64_t()>& now) {
  const std::vector<StartupEntry> found = Matching(entries, args);
  const std::string named =
      "\"" + args.name + "\"" + (args.location.empty() ? "" : " in " + args.location);
  if (found.empty()) return Failed(kExitUsage, "No startup entry is named " + named + ".");
  if (found.size() > 1) {
    std::string message = named + " names " + std::to_string(found.size()) + " entries:";
    for (const StartupEntry& entry : found) message += "\n  " + entry.location;
    return Failed(kExitUsage, message + "\nGive the one meant with --location.");
  }
  const StartupEntry& entry = found.front();
  const bool enable = args.action == "enable";
  std::string reason;
  if (!SetStartupState(registry, entry, enable, now(), reason))
    return Failed(entry.state == StartupState::NotSwitchable ? kExitUsage : kExitEnvironment,
                  entry.caption + " (" + entry.location + "): " + reason + ".");
  CommandOutput output;
  output.out =
      entry.caption + " (" + entry.location + ") is " + (enable ? "enabled" : "disabled") + ".\n";
  return output;
}

}  // namespace

std::optional<StartupArguments> ParseStartupArguments(const std::vector<std::string>& args,
                                                      std::string& error) {
  StartupArguments parsed;
  if (args.empty()) {
    error = "startup needs list, disable or enable";
    return std::nullopt;
  }
  parsed.action = args[0];
  const bool list = parsed.action == "list";
  if (!list && parsed.action != "disable" && parsed.action != "enable") {
    error = "no such startup action '" + parsed.action + "'";
    return std::nullopt;
  }
  bool jsonSeen = false, locationSeen = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (list && arg == "--json") {
      if (!TakeSwitch(arg, jsonSeen, error)) return std::nullopt;
      parsed.json = true;
    } else if (!list && arg == "--location") {
      if (!TakeOptionValue(args, i, locationSeen, parsed.location, error)) return std::nullopt;
    } else if (!list && parsed.name.empty() && !arg.empty() && arg.rfind("--", 0) != 0) {
      parsed.name = arg;
    } else {
      error = "unexpected argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (!list && parsed.name.empty()) {
    error = "startup " + parsed.action + " needs the NAME of an entry";
    return std::nullopt;
  }
  return parsed;
}

CommandOutput RunStartupCommand(const StartupArguments& args, RegistryBackend& registry,
                                FileSystemBackend& fs, const StartupListOptions& options,
                                const std::function<std::uint64_t()>& fileTimeNow) {
  const std::vector<StartupEntry> entries = ListStartupEntries(registry, fs, options);
  if (args.action == "list") {
    CommandOutput output;
    output.out = ListText(entries, args.json);
    return output;
  }
  return Switch(entries, args, registry, fileTimeNow);
}

}  // namespace hs
