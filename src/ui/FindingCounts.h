#pragma once
// The two status-bar texts of the main window: how many rows the findings list
// holds and how many of them are checked for repair.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scan/Finding.h"
#include "settings/CountedMessage.h"

namespace hs::ui {

using hs::MessageLookup;

struct FindingCountTexts {
  std::string found;    // " 12 problems found"; for one, the language's "_One" text
  std::string checked;  // " 5 problems selected for repairing"
};

std::size_t CheckedCount(const std::vector<Finding>& rows);

FindingCountTexts CountTextsFor(std::size_t rows, std::size_t checked, const MessageLookup& lookup);

}  // namespace hs::ui
