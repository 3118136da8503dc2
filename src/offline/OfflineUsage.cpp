#include "offline/OfflineUsage.h"

namespace hs::offline {
namespace {

constexpr const char* kExitCodes =
    "exit codes: 0 the command ran to its end, 2 bad usage, 3 no Windows installation\n"
    "            there or a hive damaged beyond reading, 4 a dirty hive whose logs are\n"
    "            missing or unusable was read as it stands (it may be out of date)\n";

struct OfflineCommandText {
  std::string_view name;
  const char* synopsis;
  const char* details;
};

constexpr OfflineCommandText kOfflineCommands[] = {
    {"check", "check --windows DIR [--json]",
     "  The health of every hive the other commands would read: path, format\n"
     "  version, clean or dirty (both sequence numbers), checksum, the transaction\n"
     "  logs found and whether replaying them succeeds. Nothing is written.\n"
     "  --windows DIR    the mounted volume's root or its Windows folder\n"
     "  --json           one JSON object per hive\n"},
    {"scan",
     "scan --windows DIR [--user NAME|SID] [--drive D=DIR ...] [--sections LIST] [--report FILE] "
     "[--json] [--quiet]",
     "  hivesweep-cli's scan over the installation's hives and the mounted volume:\n"
     "  the same rows, report and JSON, with the installed program's settings\n"
     "  (ignore lists, language) when it is found on the volume.\n"
     "  --user NAME|SID  the user whose hive is HKEY_CURRENT_USER (default: the only\n"
     "                   profile that is not the system's)\n"
     "  --drive D=DIR    another drive letter of that machine, mounted at DIR\n"
     "  --sections LIST  task numbers and section names, comma-separated\n"
     "  --report FILE    write the report (or JSON) to FILE on this machine\n"
     "  --json           JSON instead of the text report\n"
     "  --quiet          no progress line on standard error\n"},
    {"users", "users --windows DIR",
     "  The profiles of the installation: SID, name, profile folder, hive files.\n"},
    {"backups", "backups --windows DIR [--user NAME|SID] [--drive D=DIR ...] [--json]",
     "  The repair backups in the installed program's backup folder (its options.ini,\n"
     "  else the folder beside it), newest first. --json adds, per file, whether it\n"
     "  is recorded as the program's own in the installation's registry and what a\n"
     "  restore would add. Times are this machine's local time.\n"
     "  --user NAME|SID  whose application data may hold options.ini\n"
     "  --drive D=DIR    another drive letter of that machine, mounted at DIR\n"
     "  --json           one JSON object per file\n"},
    {"export", "export --hive FILE [--key PATH] [--out FILE.reg]",
     "  One hive file (its logs replayed when it is dirty) as a version 5 .reg file\n"
     "  (UTF-16LE), every value byte-exact. The keys are named after the file:\n"
     "  SOFTWARE, SYSTEM... under HKEY_LOCAL_MACHINE, DEFAULT as HKEY_USERS\\.DEFAULT,\n"
     "  NTUSER.DAT as HKEY_CURRENT_USER, UsrClass.dat as its Software\\Classes.\n"
     "  --key PATH       only this key (below the hive's root) and its subtree\n"
     "  --out FILE.reg   write there instead of standard output\n"},
    {"help", "help [COMMAND]", "  Prints this overview, or the usage of one command.\n"},
};

}  // namespace

std::string OfflineGeneralUsage() {
  std::string out = "usage: hivesweep-offline --version\n";
  for (const OfflineCommandText& command : kOfflineCommands)
    out += std::string("       hivesweep-offline ") + command.synopsis + "\n";
  out += "'hivesweep-offline COMMAND --help' (or -h) tells more about a command.\n";
  return out + kExitCodes;
}

std::string OfflineCommandUsage(std::string_view command) {
  for (const OfflineCommandText& entry : kOfflineCommands)
    if (entry.name == command)
      return std::string("usage: hivesweep-offline ") + entry.synopsis + "\n" + entry.details +
             kExitCodes;
  return {};
}

}  // namespace hs::offline
