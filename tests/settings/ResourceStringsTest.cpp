// The message catalogue against the sources: every message key the code asks
// for is in the catalogue, with the same English text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "settings/ResourceStrings.h"

namespace hs {
namespace {

// Besides the 60 messages, a text for one may follow a counted message's key;
// the evidence's words (one per check and answer) follow them.
TEST(ResourceStringsTest, HoldsTheSixtyKeysOnce) {
  std::set<std::string_view> keys, singulars;
  std::size_t evidence = 0;
  for (const ResourceString& entry : ResourceStrings()) {
    EXPECT_TRUE(keys.insert(entry.key).second) << entry.key;
    EXPECT_FALSE(entry.english.empty()) << entry.key;
    EXPECT_EQ(CatalogueEnglish(entry.key), entry.english);
    if (entry.key.ends_with("_One")) singulars.insert(entry.key);
    if (entry.key.starts_with("RES_Evidence_")) ++evidence;
  }
  EXPECT_EQ(evidence, 39U);
  EXPECT_EQ(keys.size() - singulars.size() - evidence, 60U);
  for (const std::string_view singular : singulars)
    EXPECT_TRUE(keys.count(singular.substr(0, singular.size() - 4))) << singular;
  EXPECT_EQ(singulars.size(), 4U);
}

#ifdef HS_SOURCE_ROOT
TEST(ResourceStringsTest, TheCodeAsksOnlyForCataloguedKeysWithTheirEnglishText) {
  std::map<std::string, std::string, std::less<>> catalogue;
  for (const ResourceString& entry : ResourceStrings())
    catalogue.emplace(std::string(entry.key), std::string(entry.english));
  // A key literal, with its English text where it is a GetLanString call
  // or a table row {..., key, English}.
  const std::regex use(R"re((GetLanString\(\s*)?"(RES_[A-Za-z_]+)"(\s*,\s*"([^"]*)"(\s*\})?)?)re");
  std::size_t uses = 0;
  for (const auto& file :
       std::filesystem::recursive_directory_iterator(std::string(HS_SOURCE_ROOT) + "/src")) {
    const std::string name = file.path().filename().string();
    if (!file.is_regular_file() || name == "ResourceStrings.cpp") continue;
    std::ifstream in(file.path());
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    for (std::sregex_iterator match(source.begin(), source.end(), use), end; match != end;
         ++match) {
      ++uses;
      const auto entry = catalogue.find((*match)[2].str());
      ASSERT_NE(entry, catalogue.end()) << name << ": " << (*match)[2];
      if ((*match)[4].matched && ((*match)[1].matched || (*match)[5].matched)) {
        EXPECT_EQ((*match)[4].str(), entry->second) << name;
      }
    }
  }
  EXPECT_GT(uses, 40U);  // the scan did find the sources
}
#endif

}  // namespace
}  // namespace hs
