#include "cli/ExitCodes.h"

#include <array>

namespace hs {
namespace {

constexpr std::array<ExitCodeMeaning, 5> kTable = {{
    {kExitOk,
     "The command ran to its end; rows that repair could not repair are listed with their "
     "reasons."},
    {kExitUsage,
     "Bad usage or bad input: an unknown command, option or section, a missing value or file "
     "name, or a file that restore refuses or cannot read as a registry file."},
    {kExitEnvironment,
     "Environment error: a folder or file could not be created, written or listed, a registry "
     "value could not be written, or the registry editor failed (not started, stopped, or the "
     "registry differs from the file afterwards); standard error gives the reason."},
    {kExitPartiallyRestored, "restore only: part of the file was restored; the file is kept."},
    {kExitNeedsAdministrator,
     "repair or restore without administrator rights: nothing was changed; run from an "
     "elevated prompt."},
}};

constexpr std::size_t kWidth = 79;
constexpr std::string_view kIndent = "     ";  // below the meaning's first word

// "  N  meaning" with the meaning's words wrapped under its start.
std::string UsageEntry(const ExitCodeMeaning& entry) {
  std::string out = "  " + std::to_string(entry.code) + "  ";
  std::size_t lineStart = 0;
  std::string_view rest = entry.meaning;
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    const std::string_view word = rest.substr(0, end);
    const bool lineHasWord = out.size() > lineStart + kIndent.size();
    if (lineHasWord && out.size() + 1 + word.size() > lineStart + kWidth) {
      out += "\n";
      lineStart = out.size();
      out += kIndent;
    } else if (lineHasWord) {
      out += ' ';
    }
    out += word;
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return out + "\n";
}

}  // namespace

std::span<const ExitCodeMeaning> ExitCodeTable() {
  return kTable;
}

std::string ExitCodesUsage() {
  std::string out = "exit codes:\n";
  for (const ExitCodeMeaning& entry : kTable) out += UsageEntry(entry);
  return out;
}

}  // namespace hs
