#pragma once
// Which key of a translation file holds which text of a window. A window's
// own section is named by its component name and holds its caption and its
// controls' texts; its menu items live in the section "Menu_" + that name.
#include <string>
#include <string_view>
#include <vector>

#include "translation/IniFile.h"
#include "widgets/ComponentKind.h"

namespace hs::ui {

struct TranslationKey {
  std::string section;
  std::string key;
  bool operator==(const TranslationKey&) const = default;
};

// The keys of the `count` texts of component `name` (of kind `kind`) on the
// window `windowName`, one per text in order. Kinds with a single text use
// only the first; separators and untranslated kinds have none.
std::vector<TranslationKey> TranslationKeysFor(std::string_view windowName, ComponentKind kind,
                                               std::string_view name, std::size_t count);

// Replaces each text of the component by its value in `file`; a text whose
// key the file lacks stays as it is.
void TranslateTexts(const IniFile& file, std::string_view windowName, ComponentKind kind,
                    std::string_view name, std::vector<std::string>& texts);

}  // namespace hs::ui
