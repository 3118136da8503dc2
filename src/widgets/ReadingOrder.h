#pragma once
// A translation names its reading order: section "Translation", key
// "ReadingOrder", "RightToLeft" for languages written right to left (Arabic,
// Kurdish in Arabic script); anything else, or nothing, reads left to right.
// The windows keep their layout either way; only the texts' order and
// alignment follow the language.
#include <string_view>

#include "translation/IniFile.h"

namespace hs::ui {

inline constexpr std::string_view kTranslationSection = "Translation";
inline constexpr std::string_view kReadingOrderKey = "ReadingOrder";
inline constexpr std::string_view kLeftToRight = "LeftToRight";

bool ReadsRightToLeft(const IniFile& translation);

}  // namespace hs::ui
