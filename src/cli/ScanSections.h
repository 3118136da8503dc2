#pragma once
// The scan tasks a console user can name: number, a short stable name for
// scripts, the section caption of the window's tree and what the task looks
// for. The names never change once published; scripts depend on them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "translation/Translation.h"

namespace hs {

struct ScanSection {
  int task;
  const char* name;        // lower case, stable: "fonts", "shared-dlls"...
  const char* caption;     // the section's caption in the window's tree
  const char* looksFor;    // one line for administrators
  const char* problemKey;  // the translation key of the findings' problem text
  const char* problem;     // its English text
};

// Tasks 3 to 23, in task order.
const std::vector<ScanSection>& ScanSections();

// The task named `name` (any letter case), or nothing.
std::optional<int> TaskForSectionName(std::string_view name);

// The "sections" command's output: one line per task, problem texts in the
// current language.
std::string RenderSectionList(const Translation& texts = {});

}  // namespace hs
