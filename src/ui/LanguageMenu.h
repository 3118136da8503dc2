#pragma once
// The Language menu of the main window as data and rules: its items, which
// of them are offered (those whose translation file lies beside the
// program), and what choosing one does.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs::ui {

struct LanguageItem {
  const char* component;  // "mi" + the language name
  const char* caption;
};

// The language items, in menu order; the separator, "&Other" and the hidden
// item follow them.
const std::vector<LanguageItem>& LanguageItems();
inline constexpr const char* kOtherSeparator = "mlOther";
inline constexpr const char* kOtherItem = "miOther";
inline constexpr const char* kOtherCaption = "&Other";
// Hidden for good: its language name ("nguage1") never has a file.
inline constexpr const char* kHiddenLanguageItem = "Language1";
// Shown after "Please visit " when no file of the language "Other" exists.
inline constexpr const char* kTranslationsWebAddress =
    "https://www.corvane.example/hivesweep/translations";

// The item's language: its component name without the first two characters.
std::string LanguageOfItem(std::string_view component);

// Where the translation files are.
struct LanguageFiles {
  FileSystemBackend& fs;
  // The file of a language; "" when the name cannot name a file there.
  std::function<std::string(const std::string& language)> pathOf;
  bool exists(const std::string& language) const;
};

// An item is offered only while its language's file exists.
bool LanguageItemVisible(std::string_view component, const LanguageFiles& files);

struct LanguageChoice {
  bool switched = false;  // the file exists: `language` becomes the setting
  std::string language;
  std::string message;  // otherwise what the message box says
};
LanguageChoice ChooseLanguage(std::string_view component, const LanguageFiles& files);

}  // namespace hs::ui
