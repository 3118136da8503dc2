#include <gtest/gtest.h>

#include "scan/FlatStringMap.h"

namespace hs {
namespace {

TEST(FlatStringMap, FindsEveryKeyThroughGrowthAndNothingElse) {
  FlatStringMap<int> map;
  EXPECT_EQ(map.Find("a"), nullptr);
  for (int i = 0; i < 5000; ++i) map.Insert("key" + std::to_string(i), i);
  map.Insert("", -1);
  map.Insert(std::string("a\0b", 3), -2);
  EXPECT_EQ(map.Size(), 5002u);
  for (int i = 0; i < 5000; ++i) {
    const int* found = map.Find("key" + std::to_string(i));
    ASSERT_NE(found, nullptr) << i;
    EXPECT_EQ(*found, i);
  }
  EXPECT_EQ(*map.Find(""), -1);
  EXPECT_EQ(*map.Find(std::string("a\0b", 3)), -2);
  EXPECT_EQ(map.Find("a"), nullptr);
  EXPECT_EQ(map.Find("KEY1"), nullptr) << "keys compare exactly";
  EXPECT_EQ(map.Find("key5000"), nullptr);
  map.Clear();
  EXPECT_EQ(map.Size(), 0u);
  EXPECT_EQ(map.Find("key1"), nullptr);
  map.Insert("key1", 7);
  EXPECT_EQ(*map.Find("key1"), 7);
}

}  // namespace
}  // namespace hs
