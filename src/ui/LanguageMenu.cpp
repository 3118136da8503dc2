#include "ui/LanguageMenu.h"

namespace hs::ui {

const std::vector<LanguageItem>& LanguageItems() {
  static const std::vector<LanguageItem> items{
      {"miAfrikaans", "&Afrikaans"},
      {"miArabic", "Arabic"},
      {"miBrazilianPortuguese", "&Brazilian Portuguese"},
      {"miBulgarian", "Bulgarian"},
      {"miCatalan", "Catalan"},
      {"miCzech", "C&zech"},
      {"miDanish", "&Danish"},
      {"miNederlands", "Dut&ch"},
      {"miEnglish", "&English"},
      {"miFinnish", "&Finnish"},
      {"miFrench", "Frenc&h"},
      {"miGerman", "&German"},
      {"miGreek", "Greek"},
      {"miHrvatski", "Hr&vatski"},
      {"miHungary", "H&ungary"},
      {"miItalian", "&Italian"},
      {"miJapanese", "&Japanese"},
      {"miKorean", "&Korean"},
      {"miKurdish", "K&urdish"},
      {"miLithuanian", "&Lithuanian"},
      {"miMalay", "&Malay"},
      {"miNorwegian", "Nor&wegian"},
      {"miPolish", "&Polish"},
      {"miPortuguesePT", "Portuguese-PT"},
      {"miRomanian", "&Romanian"},
      {"miRussian", "R&ussian"},
      {"miSerbian", "Serbia&n"},
      {"miChinese", "Simplified &Chinese"},
      {"miSlovenian", "Slovenian"},
      {"miSpanish", "&Spanish"},
      {"miSwedish", "Swedish"},
      {"miTraditionalChinese", "Traditional Chinese"},
      {"miTurkish", "&Turkish"},
  };
  return items;
}

std::string LanguageOfItem(std::string_view component) {
  return std::string(component.size() > 2 ? component.substr(2) : std::string_view());
}

bool LanguageFiles::exists(const std::string& language) const {
  const std::string path = pathOf(language);
  return !path.empty() && fs.probe(path) == PathProbe::File;
}

bool LanguageItemVisible(std::string_view component, const LanguageFiles& files) {
  return files.exists(LanguageOfItem(component));
}

LanguageChoice ChooseLanguage(std::string_view component, const LanguageFiles& files) {
  LanguageChoice choice;
  choice.language = LanguageOfItem(component);
  if (files.exists(choice.language)) {
    choice.switched = true;
    return choice;
  }
  choice.message = files.pathOf(choice.language) + " can not be found.";
  if (choice.language == "Other")
    choice.message += std::string("\r\n\r\nPlease visit ") + kTranslationsWebAddress + ".";
  return choice;
}

}  // namespace hs::ui
