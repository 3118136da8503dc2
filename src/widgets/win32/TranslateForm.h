#pragma once
// Relabels a window from a translation file: every registered component, in
// registration order, by the key table of widgets/TranslationKeys.h. A text whose
// key the file lacks keeps its current wording; a missing file changes
// nothing.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "translation/IniFile.h"
#include "translation/Translation.h"
#include "widgets/TranslationKeys.h"
#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

void TranslateForm(ComponentRegistry& window, const IniFile& translation);

// The translation file of `language` beside the program (the path
// `texts.FilePath` gives), read through `fs`: after the language menu's
// choice, English included.
void TranslateForm(ComponentRegistry& window, FileSystemBackend& fs, const Translation& texts,
                   const std::string& language);
// As a window is shown: nothing for English in any letter case, whose
// texts are the ones the window was made with.
void TranslateFormUnlessEnglish(ComponentRegistry& window, FileSystemBackend& fs,
                                const Translation& texts, const std::string& language);

// Every key the window's components ask a translation file for, in the
// order TranslateForm reads them, with the text each shows now.
struct TranslationEntry {
  TranslationKey key;
  std::string text;
};
std::vector<TranslationEntry> TranslationEntriesOf(const ComponentRegistry& window);
std::vector<TranslationKey> TranslationKeysOf(const ComponentRegistry& window);

}  // namespace hs::ui
