#include "app/win32/CliCommands.h"

namespace hs::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"scan", RunScan},
      {"repair", RunRepair},
      {"restore", RunRestore},
      {"backups", RunBackups},
  };
  return commands;
}

}  // namespace hs::cli
