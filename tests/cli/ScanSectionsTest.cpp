#include <gtest/gtest.h>

#include <set>

#include "cli/ScanSections.h"
#include "common/Text.h"
#include "scan/ScanDispatch.h"

namespace hs {
namespace {

TEST(ScanSections, EveryScannedTaskHasOneNameThatFindsItBackAndOneLineInTheList) {
  std::set<std::string> names;
  int expectedTask = 3;
  for (const ScanSection& section : ScanSections()) {
    SCOPED_TRACE(section.name);
    EXPECT_EQ(section.task, expectedTask++);
    EXPECT_NE(ScannerForTask(section.task), nullptr);
    const std::string name = section.name;
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string::npos);
    EXPECT_TRUE(names.insert(name).second);
    EXPECT_EQ(TaskForSectionName(name), section.task);
    EXPECT_EQ(TaskForSectionName(UpperCase(name)), section.task);
  }
  EXPECT_EQ(expectedTask, 24);
  EXPECT_EQ(TaskForSectionName(""), std::nullopt);
  EXPECT_EQ(TaskForSectionName("fonts "), std::nullopt);
  EXPECT_EQ(TaskForSectionName("7"), std::nullopt);

  const std::vector<std::string> lines = Split(RenderSectionList(), '\n');
  ASSERT_EQ(lines.size(), 1 + ScanSections().size() + 1);  // heading, tasks, final ""
  EXPECT_EQ(lines[5],
            "   7  fonts               Windows Fonts: font entries whose file is not "
            "in the Fonts folder (\"Fonts Issue\")");
  EXPECT_EQ(lines.back(), "");
}

}  // namespace
}  // namespace hs
