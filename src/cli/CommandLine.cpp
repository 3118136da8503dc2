#include "cli/CommandLine.h"

#include <algorithm>

namespace hs {

bool IsHelpFlag(const std::string& arg) {
  return arg == "--help" || arg == "-h" || arg == "/?";
}

bool AsksForHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), IsHelpFlag);
}

bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, bool& seen,
                     std::string& value, std::string& error) {
  const std::string& option = args[i];
  if (!TakeSwitch(option, seen, error)) return false;
  // "--report --json" lost its value; it does not name a file "--json".
  if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
    error = option + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool TakeSwitch(const std::string& option, bool& seen, std::string& error) {
  if (seen) {
    error = option + " given twice";
    return false;
  }
  seen = true;
  return true;
}

}  // namespace hs
