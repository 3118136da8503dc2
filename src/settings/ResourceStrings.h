#pragma once
// The program's message catalogue: every key of a translation file's
// "ResourceString" section with its built-in English text. The code asks for
// messages by these keys only (a test checks the sources against this list),
// and the shipped translation files hold exactly these keys: the 60 messages
// and, for the four shown beside a count, their texts for one ("_One",
// settings/CountedMessage), then the words of the findings' evidence
// (keys starting RES_Evidence_, findings/EvidenceTexts).
#include <string_view>
#include <vector>

namespace hs {

struct ResourceString {
  std::string_view key;
  std::string_view english;
};

const std::vector<ResourceString>& ResourceStrings();
// The English text of `key`; "" when the catalogue has no such key.
std::string_view CatalogueEnglish(std::string_view key);

}  // namespace hs
