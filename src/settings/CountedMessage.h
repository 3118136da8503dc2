#pragma once
// Messages shown beside a count ("1 problem found", "12 problems found").
// Translation files have no plural forms, so a file may give the text for
// exactly one under a key of its own, the plural key followed by "_One"; a
// file without it shows its own plural text for one too, never the English
// singular in the middle of another language.
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
  std::string_view singularEnglish;
};

inline constexpr CountedMessage kProblemsFound{"RES_FindProblems", "problems found",
                                               "RES_FindProblems_One", "problem found"};
inline constexpr CountedMessage kProblemsChecked{
    "RES_CheckedProblems", "problems selected for repairing", "RES_CheckedProblems_One",
    "problem selected for repairing"};
// The summary after a repair: "There are total" 12 "problems to be repaired.".
inline constexpr CountedMessage kThereAreTotal{"RES_ThereTotal", "There are total",
                                               "RES_ThereTotal_One", "There is"};
inline constexpr CountedMessage kProblemsRepaired{"RES_RepairProblems", "problems to be repaired.",
                                                  "RES_RepairProblems_One",
                                                  "problem to be repaired."};

// A message lookup in the current language: key and built-in English text in,
// the text to show out (the English text when the language has none).
using MessageLookup =
    std::function<std::string(const std::string& key, const std::string& english)>;

std::string CountedText(std::size_t count, const CountedMessage& message,
                        const MessageLookup& lookup);
std::string CountedText(std::size_t count, const CountedMessage& message, const Translation& texts);

}  // namespace hs
