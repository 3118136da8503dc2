#include "offline/OfflineUsage.h"

namespace hs::offline {
namespace {

constexpr const char* kExitCodes =
    "exit codes: 0 the command ran to its end, 2 bad usage, 3 no Windows installation\n"
    "            there, a hive damaged beyond reading, or nothing could be written (a\n"
    "            refusal before writing, a failed commit), 4 a dirty hive whose logs are\n"
    "            missing or unusable was read as it stands (it may be out of date), or\n"
    "            items were refused and kept (restore: restored in part)\n";

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
     "[--json|--json-v1] [--quiet]",
     "  hivesweep-cli's scan over the installation's hives and the mounted volume:\n"
     "  the same rows, report and JSON, with the installed program's settings\n"
     "  (ignore lists, language) when it is found on the volume.\n"
     "  --user NAME|SID  the user whose hive is HKEY_CURRENT_USER (default: the only\n"
     "                   profile that is not the system's)\n"
     "  --drive D=DIR    another drive letter of that machine, mounted at DIR\n"
     "  --sections LIST  task numbers and section names, comma-separated\n"
     "  --report FILE    write the report (or JSON) to FILE on this machine\n"
     "  --json           JSON instead of the text report, rows with their evidence\n"
     "  --json-v1        the bare array of rows of earlier versions\n"
     "  --quiet          no progress line on standard error\n"},
    {"users", "users --windows DIR",
     "  The profiles of the installation: SID, name, profile folder, hive files.\n"},
    {"backups", "backups --windows DIR [--user NAME|SID] [--drive D=DIR ...] [--json] [--items]",
     "  The repair backups in the installed program's backup folder (its options.ini,\n"
     "  else the folder beside it), newest first. --json adds, per file, whether it\n"
     "  is recorded as the program's own in the installation's registry and what a\n"
     "  restore would add. Times are this machine's local time.\n"
     "  --user NAME|SID  whose application data may hold options.ini\n"
     "  --drive D=DIR    another drive letter of that machine, mounted at DIR\n"
     "  --json           one JSON object per file\n"
     "  --items          each file's items, numbered as restore --item takes them,\n"
     "                   with what each puts back and whether the hives hold it\n"},
    {"export", "export --hive FILE [--key PATH] [--out FILE.reg]",
     "  One hive file (its logs replayed when it is dirty) as a version 5 .reg file\n"
     "  (UTF-16LE), every value byte-exact. The keys are named after the file:\n"
     "  SOFTWARE, SYSTEM... under HKEY_LOCAL_MACHINE, DEFAULT as HKEY_USERS\\.DEFAULT,\n"
     "  NTUSER.DAT as HKEY_CURRENT_USER, UsrClass.dat as its Software\\Classes.\n"
     "  --key PATH       only this key (below the hive's root) and its subtree\n"
     "  --out FILE.reg   write there instead of standard output\n"},
    {"repair",
     "repair --windows DIR [--user NAME|SID] [--drive D=DIR ...] [--sections LIST] [--json] "
     "[--quiet] [--dry-run]",
     "  hivesweep-cli's repair over the installation: the scan, then every row\n"
     "  backed up into one file in the installed program's backup folder on the\n"
     "  volume (recorded in its Backup Record, read back and checked before each\n"
     "  delete), then each changed hive committed: written to a new file, the old\n"
     "  one kept as HIVE.hsbak with its logs, renamed over. Items hivex would write\n"
     "  wrongly for Windows are refused, listed and kept.\n"
     "  --user NAME|SID  the user whose hive is HKEY_CURRENT_USER\n"
     "  --sections LIST  task numbers and section names, comma-separated\n"
     "  --dry-run        everything but the commit; the backup is made in memory\n"},
    {"restore",
     "restore --windows DIR FILE|--latest [--user NAME|SID] [--item N[,M...]] [--key PATH ...] "
     "[--force] [--json] [--dry-run]",
     "  hivesweep-cli's restore of one backup into the installation's hives: the\n"
     "  same line rules, the Backup Record of the offline SOFTWARE hive (a file not\n"
     "  recorded or changed needs --force) and the check of every item afterwards;\n"
     "  then the changed hives are committed. FILE is a Windows path or a path on\n"
     "  this machine inside the volume.\n"
     "  --latest         the newest backup of the installed program's backup folder\n"
     "  --user NAME|SID  the user whose hive is HKEY_CURRENT_USER\n"
     "  --item N[,M...]  only these items of the file (as backups --items numbers them)\n"
     "  --key PATH       only the file's items at or below this key; may be repeated\n"
     "  --force          import a file the record does not vouch for\n"
     "  --json           one JSON object with the outcome\n"
     "  --dry-run        everything but the commit\n"},
    {"undo-commit", "undo-commit --windows DIR [--force]",
     "  Puts back every hive's HIVE.hsbak (and its logs): the files as they were\n"
     "  before the last repair or restore committed them. A hive Windows has\n"
     "  written since is left as it is unless --force is given.\n"},
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
