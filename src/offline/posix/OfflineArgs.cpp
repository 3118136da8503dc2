#include <algorithm>
#include <cstdio>

#include "cli/CommandLine.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/OfflineCommands.h"

namespace hs::offline {

OfflineArgs ParseOfflineArgs(const std::vector<std::string>& args,
                             const std::vector<std::string>& allowed) {
  OfflineArgs parsed;
  std::vector<std::string> seen;
  struct Field {
    const char* option;
    std::string* value;
  };
  const Field fields[] = {{"--windows", &parsed.windows},  {"--user", &parsed.user},
                          {"--hive", &parsed.hive},        {"--key", &parsed.key},
                          {"--out", &parsed.out},          {"--report", &parsed.report},
                          {"--sections", &parsed.sections}};
  const std::pair<const char*, bool*> switches[] = {{"--json", &parsed.json},
                                                    {"--dry-run", &parsed.dryRun},
                                                    {"--force", &parsed.force},
                                                    {"--latest", &parsed.latest},
                                                    {"--items", &parsed.items}};
  const bool takesFile = std::find(allowed.begin(), allowed.end(), "FILE") != allowed.end();
  for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (takesFile && !arg.empty() && arg[0] != '-') {
      parsed.rest.push_back(arg);
      continue;
    }
    if (std::find(allowed.begin(), allowed.end(), arg) == allowed.end()) {
      parsed.error = "unknown argument '" + arg + "'";
      break;
    }
    const auto flag = std::find_if(std::begin(switches), std::end(switches),
                                   [&](const auto& entry) { return arg == entry.first; });
    if (flag != std::end(switches)) {
      bool twice = *flag->second;
      if (!TakeSwitch(arg, twice, parsed.error)) break;
      *flag->second = true;
      continue;
    }
    std::string value;
    bool repeated = arg != "--drive" && std::count(seen.begin(), seen.end(), arg) > 0;
    if (!TakeOptionValue(args, i, repeated, value, parsed.error)) break;
    seen.push_back(arg);
    if (arg == "--drive") {
      if (value.size() < 3 || value[1] != '=' ||
          !std::isalpha(static_cast<unsigned char>(value[0])))
        parsed.error = "--drive needs D=DIR";
      parsed.drives.push_back(value);
      continue;
    }
    for (const Field& field : fields)
      if (arg == field.option) *field.value = value;
  }
  return parsed;
}

int OfflineBadUsage(const std::string& command, const std::string& error) {
  std::fprintf(stderr, "hivesweep-offline %s: %s\n%s", command.c_str(), error.c_str(),
               OfflineCommandUsage(command).c_str());
  return kExitUsage;
}

}  // namespace hs::offline
