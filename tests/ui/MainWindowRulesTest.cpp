#include <gtest/gtest.h>

#include "ui/CleanOnce.h"
#include "ui/FindingCounts.h"
#include "ui/MainLayout.h"

namespace hs::ui {
namespace {

TEST(MainWindowRules, CountTextsUseTheLookupAndLeadingBlanks) {
  std::vector<Finding> rows(12);
  for (std::size_t i = 0; i < 5; ++i) rows[i * 2].Checked = true;
  const auto english = [](const std::string&, const std::string& text) { return text; };
  const FindingCountTexts texts = CountTextsFor(rows.size(), CheckedCount(rows), english);
  EXPECT_EQ(texts.found, " 12 problems found");
  EXPECT_EQ(texts.checked, " 5 problems selected for repairing");
  // A translation lacking the keys gives empty words, never the English ones.
  const auto missing = [](const std::string&, const std::string&) { return std::string(); };
  EXPECT_EQ(CountTextsFor(0, 0, missing).found, " 0 ");
}

TEST(MainWindowRules, LayoutFollowsTheClientAreaAndNeverGoesNegative) {
  MainLayout designed;
  designed.lUpdate = {500, 8, 140, 16};
  designed.iUpdate = {470, 6, 20, 20};
  designed.tvRegistry = {8, 180, 160, 200};
  designed.lvRegistryData = {176, 58, 400, 300};
  designed.StatusBar1 = {0, 400, 600, 22};
  const MainLayout laid = LayoutStep(designed, 900, 600);
  EXPECT_EQ(laid.imgTitle.width, 900);
  EXPECT_EQ(laid.imgTitle.height, 50);
  EXPECT_EQ(laid.lUpdate.left, 900 - 140 - 20);
  EXPECT_EQ(laid.iUpdate.left, laid.lUpdate.left - 25);
  EXPECT_EQ(laid.tvRegistry.height, 600 - 180 - 22);
  EXPECT_EQ(laid.lvRegistryData.height, 600 - 58 - 22);
  EXPECT_EQ(laid.lvRegistryData.width, 900 - 176);
  EXPECT_EQ(laid.StatusBar1.top, 578);
  EXPECT_EQ(laid.StatusBar1.width, 900);
  const MainLayout minimised = LayoutStep(laid, 0, 0);
  EXPECT_EQ(minimised.tvRegistry.height, 0);
  EXPECT_EQ(minimised.lvRegistryData.width, 0);
  // At 150 % the banner and the link's margins grow as the controls did.
  const MainLayout at144 = LayoutStep(designed, 900, 600, 144);
  EXPECT_EQ(at144.imgTitle.height, 75);
  EXPECT_EQ(at144.lUpdate.left, 900 - 140 - 30);
  EXPECT_EQ(at144.iUpdate.left, at144.lUpdate.left - 38);
}

TEST(MainWindowRules, CleanOnceOnlyAsFirstArgumentAndOnlyOnce) {
  EXPECT_TRUE(IsCleanOnceRequested({"-CleanOnce"}));
  EXPECT_TRUE(IsCleanOnceRequested({"-CLEANONCE", "x"}));
  EXPECT_FALSE(IsCleanOnceRequested({"x", "-cleanonce"}));
  EXPECT_FALSE(IsCleanOnceRequested({"-cleanonce2"}));
  EXPECT_FALSE(IsCleanOnceRequested({}));
  CleanOnceGate gate(true);
  EXPECT_TRUE(gate.StartOnActivation());
  EXPECT_FALSE(gate.StartOnActivation());
  CleanOnceGate notAsked(false);
  EXPECT_FALSE(notAsked.StartOnActivation());
}

}  // namespace
}  // namespace hs::ui
