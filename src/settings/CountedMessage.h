#pragma once
// Messages shown beside a count ("12 problems found").
// Translation files have no plural forms, so a file may give the text for
// exactly one under a key of its own, the plural key followed by "_One"; a
// file without it shows its own plural text for one too. The built-in English
// texts stay as they always read ("1 problems found"): other programs and
// scripts compare them.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace hs {

class Translation;

struct CountedMessage {
  std::string_view key;
  std::string_view english;
  std::string_view singularKey;
};

inline constexpr CountedMessage kProblemsFound{"RES_FindProblems", "problems found",
                                               "RES_FindProblems_One"};
inline constexpr CountedMessage kProblemsChecked{
    "RES_CheckedProblems", "problems selected for repairing", "RES_CheckedProblems_One"};
// The summary after a repair: "There are total" 12 "problems to be repaired.".
inline constexpr CountedMessage kThereAreTotal{"RES_ThereTotal", "There are total",
                                               "RES_ThereTotal_One"};
inline constexpr CountedMessage kProblemsRepaired{"RES_RepairProblems", "problems to be repaired.",
                                                  "RES_RepairProblems_One"};

// A message lookup in the current language: key and built-in English text in,
// the text to show out (the English text when the language has none).
using MessageLookup =
    std::function<std::string(const std::string& key, const std::string& english)>;

std::string CountedText(std::size_t count, const CountedMessage& message,
                        const MessageLookup& lookup);
std::string CountedText(std::size_t count, const CountedMessage& message, const Translation& texts);

}  // namespace hs
