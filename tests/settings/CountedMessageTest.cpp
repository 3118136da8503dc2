// Count texts in each case a translation file may be in: English, a file with
// the text for one, an older file without it, and no file at all.
#include <gtest/gtest.h>

#include "cli/RepairCommand.h"
#include "platform/memory/MemoryFileSystem.h"
#include "settings/CountedMessage.h"
#include "translation/Translation.h"

namespace hs {
namespace {

const std::string kFolder = "C:\\Hivesweep\\";

TEST(CountedMessage, OneTakesTheSingularOfTheFilesOwnLanguage) {
  MemoryFileSystem fs;
  fs.addFolder(kFolder);
  fs.addFile(kFolder + "Lan_French.ini",
             "\xEF\xBB\xBF[ResourceString]\r\nRES_FindProblems=probl\xC3\xA8mes trouv\xC3\xA9s\r\n"
             "RES_FindProblems_One=probl\xC3\xA8me trouv\xC3\xA9\r\n");
  fs.addFile(kFolder + "Lan_Older.ini", "[ResourceString]\r\nRES_FindProblems=Probleme\r\n");
  const Translation english(fs, kFolder, "English"), french(fs, kFolder, "French"),
      older(fs, kFolder, "Older"), missing(fs, kFolder, "Missing");
  struct Case {
    const Translation& texts;
    std::size_t count;
    const char* expected;
  };
  const Case cases[] = {
      {english, 1, "problems found"},  // as it always read
      {english, 0, "problems found"},
      {english, 2, "problems found"},
      {french, 1, "probl\xC3\xA8me trouv\xC3\xA9"},
      {french, 2, "probl\xC3\xA8mes trouv\xC3\xA9s"},
      {older, 1, "Probleme"},  // its own plural, not English
      {missing, 1, "problems found"},
      {missing, 3, "problems found"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountedText(c.count, kProblemsFound, c.texts), c.expected)
        << c.texts.Language() << " " << c.count;
  }
  EXPECT_EQ(RepairSummarySentence(1, english), "There are total 1 problems to be repaired.");
  EXPECT_EQ(RepairSummarySentence(2, english), "There are total 2 problems to be repaired.");
}

}  // namespace
}  // namespace hs
