// The exit-code table is one: the constants the commands return, the usage
// texts, and the tables of README.md, docs/guide.md and docs/fleet.md say
// the same, word for word.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/CliUsage.h"
#include "cli/ExitCodes.h"

namespace hs {
namespace {

std::string Collapsed(const std::string& text) {
  return std::regex_replace(text, std::regex(R"(\s+)"), " ");
}

TEST(ExitCodes, TheTableNamesEveryConstantOnceInOrderAndEveryUsageTextPrintsIt) {
  std::vector<int> codes;
  for (const ExitCodeMeaning& entry : ExitCodeTable()) codes.push_back(entry.code);
  EXPECT_EQ(codes, (std::vector<int>{kExitOk, kExitUsage, kExitEnvironment, kExitPartiallyRestored,
                                     kExitNeedsAdministrator}));
  std::istringstream table(ExitCodesUsage());
  for (std::string line; std::getline(table, line);) EXPECT_LE(line.size(), 79U) << line;
  for (const std::string& usage :
       {GeneralUsage(), CommandUsage("scan"), CommandUsage("repair"), CommandUsage("restore")}) {
    for (const ExitCodeMeaning& entry : ExitCodeTable())
      EXPECT_NE(Collapsed(usage).find(" " + std::to_string(entry.code) + " " +
                                      std::string(entry.meaning)),
                std::string::npos)
          << entry.code;
  }
}

#ifdef HS_SOURCE_ROOT
// The rows of the "| Code | Meaning |" table of a Markdown file, code marks
// taken out of the meanings.
std::vector<std::pair<int, std::string>> DocumentedCodes(const std::string& file) {
  std::ifstream in(std::string(HS_SOURCE_ROOT) + "/" + file);
  std::vector<std::pair<int, std::string>> rows;
  bool inTable = false;
  const std::regex row(R"(^\| *(\d+) *\| *(.*?) *\|$)");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("| Code | Meaning |", 0) == 0) inTable = true;
    if (!inTable) continue;
    if (line.empty() || line[0] != '|') break;
    std::smatch match;
    if (std::regex_match(line, match, row))
      rows.emplace_back(std::stoi(match[1]),
                        std::regex_replace(match[2].str(), std::regex("`"), ""));
  }
  return rows;
}

TEST(ExitCodes, TheDocumentsTablesAreTheCodesTable) {
  std::vector<std::pair<int, std::string>> table;
  for (const ExitCodeMeaning& entry : ExitCodeTable())
    table.emplace_back(entry.code, std::string(entry.meaning));
  for (const char* file : {"README.md", "docs/guide.md", "docs/fleet.md"})
    EXPECT_EQ(DocumentedCodes(file), table) << file;
}
#endif

}  // namespace
}  // namespace hs
