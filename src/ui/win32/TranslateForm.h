#pragma once
// Relabels a window from a translation file: every registered component, in
// registration order, by the key table of ui/TranslationKeys.h. A text whose
// key the file lacks keeps its current wording; a missing file changes
// nothing.
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "ui/TranslationKeys.h"
#include "ui/win32/ComponentRegistry.h"

namespace hs::ui {

void TranslateForm(ComponentRegistry& window, const IniFile& translation);

// Every key the window's components ask a translation file for, in the
// order TranslateForm reads them.
std::vector<TranslationKey> TranslationKeysOf(const ComponentRegistry& window);

}  // namespace hs::ui
