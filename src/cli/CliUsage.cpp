#include "cli/CliUsage.h"

#include "cli/ExitCodes.h"

namespace hs {
namespace {

struct CommandText {
  std::string_view name;
  const char* synopsis;
  const char* details;
};

constexpr CommandText kCommands[] = {
    {"scan", "scan [--sections LIST] [--report FILE] [--json|--json-v1] [--quiet]",
     "  Scans the registry and prints the findings as the text report (or JSON).\n"
     "  --sections LIST  task numbers or section names, comma-separated, such as\n"
     "                   3,fonts,shared-dlls ('hivesweep-cli sections' lists them);\n"
     "                   default: every section of the window's tree\n"
     "  --report FILE    write the output to FILE instead of standard output\n"
     "  --json           JSON instead of the text report: {\"schema\": 2, \"rows\": [...]},\n"
     "                   each row with the evidence it was flagged on\n"
     "  --json-v1        the bare array of rows of earlier versions, without evidence\n"
     "  --quiet          no progress on standard error (it is shown only on a console)\n"
     "  --enumerate-only benchmark yardstick: walks the scan's trees unchecked and\n"
     "                   prints how many keys and values it read\n"
     "  --probe-log FILE  record the paths the scan asks the file system about;\n"
     "  --replay-probes FILE (with --enumerate-only) ask them again after the walk\n"},
    {"repair", "repair [--sections LIST] [--backup-dir DIR] [--json] [--quiet]",
     "  Scans as 'scan' does, then repairs every row found into one backup file.\n"
     "  Ignore lists and the backup folder come from the program's options.\n"
     "  --sections LIST  as for 'scan'\n"
     "  --backup-dir DIR the folder of the backup file (created when missing)\n"
     "  --json           one JSON document: the backup file and every row with its\n"
     "                   outcome and reason\n"
     "  --quiet          no progress on standard error\n"
     "  Needs administrator rights: run it from an elevated prompt.\n"},
    {"restore", "restore [--force] [--json] [--item N[,M...]] [--key PATH] FILE",
     "  Imports a backup file with the registry editor and checks that the registry\n"
     "  holds what the file says; the file is kept unless all of it came back.\n"
     "  --force          restore a file that is not recorded as one of this program's\n"
     "                   backups\n"
     "  --json           one JSON object with the outcome and its reason\n"
     "  --item N[,M...]  restore only these items ('backups --items' numbers them)\n"
     "  --key PATH       restore only the items at or below this key (may be repeated)\n"
     "                   the file is kept until every item of it is back\n"
     "  Needs administrator rights: run it from an elevated prompt.\n"},
    {"backups", "backups [--json] [--items]",
     "  Lists the backup folder's files, newest first.\n"
     "  --json           one object per file, with whether it may be restored as it is\n"
     "  --items          each file's items: number, key, value, what it puts back and\n"
     "                   whether the registry holds it already (yes, no, differs)\n"},
    {"startup", "startup list [--json] | startup disable|enable NAME [--location LOC]",
     "  Lists what Windows starts by itself (name, state, location, command), or\n"
     "  switches one entry off or on as the system's own startup list does; nothing\n"
     "  is deleted. States: enabled, disabled, always (RunOnce and policy entries,\n"
     "  which the system does not switch).\n"
     "  --json           one object per entry: name, command, location, state\n"
     "  --location LOC   the entry's location as listed, when NAME names several\n"},
    {"sections", "sections",
     "  Lists the scan's sections: task number, the name --sections accepts, and\n"
     "  what each looks for.\n"},
    {"help", "help [COMMAND]", "  Prints this overview, or the usage of one command.\n"},
};

}  // namespace

std::string GeneralUsage() {
  std::string out = "usage: hivesweep-cli --version\n";
  for (const CommandText& command : kCommands)
    out += std::string("       hivesweep-cli ") + command.synopsis + "\n";
  out += "'hivesweep-cli COMMAND --help' (or -h, /?) tells more about a command.\n";
  return out + ExitCodesUsage();
}

std::string CommandUsage(std::string_view command) {
  for (const CommandText& entry : kCommands)
    if (entry.name == command)
      return std::string("usage: hivesweep-cli ") + entry.synopsis + "\n" + entry.details +
             ExitCodesUsage();
  return {};
}

}  // namespace hs
