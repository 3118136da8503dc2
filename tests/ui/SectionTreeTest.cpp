#include <gtest/gtest.h>

#include "ui/SectionTree.h"

namespace hs::ui {
namespace {

constexpr std::size_t kRoot = 0, kFilesAndFolders = 1, kLocalMachine = 2, kCurrentUser = 3,
                      kUsers = 4, kFonts = 6, kApplications = 21;

std::string Checks(const SectionTree& tree) {
  std::string marks;
  for (std::size_t i = 0; i < tree.size(); ++i) marks += tree.IsChecked(i) ? 'x' : '.';
  return marks;
}

TEST(SectionTree, NodesAreTheTaskTableInTreeOrder) {
  SectionTree tree;
  ASSERT_EQ(tree.size(), 22u);
  for (std::size_t i = 0; i < tree.size(); ++i) EXPECT_EQ(tree.node(i).number, int(i) + 1);
  EXPECT_EQ(tree.ParentOf(kUsers), kFilesAndFolders);
  EXPECT_EQ(tree.ParentOf(kFonts), kRoot);
  EXPECT_STREQ(tree.node(kApplications).caption, "Applications");
  std::vector<std::string> expected;
  for (int n = 1; n <= 22; ++n) expected.push_back(std::to_string(n));
  EXPECT_EQ(tree.TaskList(), expected);
}

TEST(SectionTree, ClickRulesPropagateDownAndRecomputeUp) {
  SectionTree tree;
  // Unchecking the hives one by one unchecks their group with the last one,
  // while the root stays checked for the other categories.
  tree.ClickStateIcon(kLocalMachine);
  tree.ClickStateIcon(kCurrentUser);
  EXPECT_TRUE(tree.IsChecked(kFilesAndFolders));
  tree.ClickStateIcon(kUsers);
  EXPECT_EQ(Checks(tree), "x....xxxxxxxxxxxxxxxxx");
  // A level-2 click checks its group and the root again.
  tree.ClickStateIcon(kRoot);
  EXPECT_EQ(Checks(tree), std::string(22, '.'));
  tree.ClickStateIcon(kCurrentUser);
  EXPECT_EQ(Checks(tree), "xx.x..................");
  EXPECT_EQ(tree.TaskList(), (std::vector<std::string>{"1", "2", "4"}));
  // A group click passes its state to its children and recomputes the root.
  tree.ClickStateIcon(kFilesAndFolders);
  EXPECT_EQ(Checks(tree), std::string(22, '.'));
  tree.ClickStateIcon(kFilesAndFolders);
  EXPECT_EQ(Checks(tree), "xxxxx.................");
  // A category click with nothing else checked unchecks the root.
  tree.ClickStateIcon(kFilesAndFolders);
  tree.ClickStateIcon(kFonts);
  tree.ClickStateIcon(kFonts);
  EXPECT_EQ(Checks(tree), std::string(22, '.'));
  EXPECT_TRUE(tree.TaskList().empty());
  tree.ClickStateIcon(99);  // out of range: nothing happens
  EXPECT_EQ(Checks(tree), std::string(22, '.'));
}

TEST(SectionTree, WalkModesStoreLoadAndCollectFromTheStartNode) {
  SectionTree tree;
  SectionCheckFlags flags{};
  flags.fill(true);
  std::vector<std::string> tasks;
  // Stored settings may hold a checked root with nothing under it.
  flags[1] = true;
  for (int n = 2; n <= 22; ++n) flags[std::size_t(n)] = false;
  flags[23] = false;
  tree.WalkTree(kRoot, WalkTreeMode::LoadChecks, flags, tasks);
  EXPECT_EQ(tree.TaskList(), (std::vector<std::string>{"1"}));

  // A walk from a level-2 node covers it and its later siblings only.
  tree.WalkTree(kCurrentUser, WalkTreeMode::CheckAll, flags, tasks);
  EXPECT_EQ(Checks(tree), "x..xx.................");
  tree.WalkTree(kFonts, WalkTreeMode::CheckAll, flags, tasks);
  tree.WalkTree(kFonts, WalkTreeMode::CollectTasks, flags, tasks);
  EXPECT_EQ(tasks.front(), "7");
  EXPECT_EQ(tasks.size(), 16u);

  SectionCheckFlags stored{};
  stored[23] = true;  // flag 23 has no node: left as it was
  tree.WalkTree(kRoot, WalkTreeMode::StoreChecks, stored, tasks);
  EXPECT_TRUE(stored[1] && stored[4] && stored[7] && stored[22] && stored[23]);
  EXPECT_FALSE(stored[2] || stored[3] || stored[6]);

  tree.WalkTree(kRoot, WalkTreeMode::UncheckAll, flags, tasks);
  EXPECT_EQ(Checks(tree), std::string(22, '.'));
}

}  // namespace
}  // namespace hs::ui
