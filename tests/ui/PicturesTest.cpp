// The window's pictures: which tree strip a DPI gets, and the scaling that
// fits the banner and the About picture to their places.
#include <gtest/gtest.h>

#include "ui/TreeImageChoice.h"
#include "widgets/PictureScaling.h"

namespace hs::ui {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kClear = 0x00000000;

TEST(Pictures, TreeStripNeverWiderThanTheRowsScaleAndNodeImageByKind) {
  EXPECT_EQ(TreeImageSizeForDpi(72), 16);
  EXPECT_EQ(TreeImageSizeForDpi(96), 16);
  EXPECT_EQ(TreeImageSizeForDpi(120), 16);  // 125 %: 20 px wanted, 24 would overlap
  EXPECT_EQ(TreeImageSizeForDpi(144), 24);
  EXPECT_EQ(TreeImageSizeForDpi(168), 24);
  EXPECT_EQ(TreeImageSizeForDpi(192), 32);
  EXPECT_EQ(TreeImageSizeForDpi(480), 32);
  EXPECT_EQ(NodeImageForLevel(0), 0);
  EXPECT_EQ(NodeImageForLevel(1), 1);
  EXPECT_EQ(NodeImageForLevel(2), 2);
  EXPECT_EQ(NodeImageForLevel(7), 2);
  EXPECT_EQ(NodeImageForLevel(-1), 0);
}

// Entry N of the node image list is task N's picture: the root's (0) for the
// root, the section picture (1) for the group and the categories, the item
// picture (2) for the three hives below "Files and Folders".
TEST(Pictures, NodeImageListHoldsEachTasksPictureAtItsNumber) {
  const std::vector<int> pictures = NodePicturesByTask(SectionTree());
  std::vector<int> expected(23, 1);
  expected[0] = expected[1] = 0;
  expected[3] = expected[4] = expected[5] = 2;
  EXPECT_EQ(pictures, expected);

  const Pixels strip{3, 1, {kRed, kBlue, kWhite}};
  const Pixels repeated = StripOfFrames(strip, {2, 0, 0, 1});
  EXPECT_EQ(repeated.width, 4);
  EXPECT_EQ(repeated.argb, (std::vector<std::uint32_t>{kWhite, kRed, kRed, kBlue}));
  const Pixels squares{4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kClear}};
  EXPECT_EQ(StripOfFrames(squares, {1, 0}).argb,
            (std::vector<std::uint32_t>{kBlue, kBlue, kRed, kRed, kBlue, kClear, kRed, kRed}));
  EXPECT_TRUE(StripOfFrames(strip, {3}).empty());  // no such frame
  EXPECT_TRUE(StripOfFrames({}, {0}).empty());
}

TEST(Pictures, AreaScalingAveragesWhatEachPixelCoversAndTransparencyLendsNoColour) {
  // Left half opaque red; right half one blue pixel among three clear ones.
  const Pixels halves{4, 2, {kRed, kRed, kBlue, kClear, kRed, kRed, kClear, kClear}};
  const Pixels halved = ScaledByArea(halves, 2, 1);
  ASSERT_EQ(halved.argb.size(), 2u);
  EXPECT_EQ(halved.at(0, 0), kRed);
  EXPECT_EQ(halved.at(1, 0), 0x400000FFu);  // a quarter covered, still pure blue

  // A factor of 1.5: each output pixel takes one whole and one half pixel.
  const Pixels stripes{3, 1, {kWhite, kBlack, kWhite}};
  const Pixels twoThirds = ScaledByArea(stripes, 2, 1);
  EXPECT_EQ(twoThirds.at(0, 0), 0xFFAAAAAAu);
  EXPECT_EQ(twoThirds.at(1, 0), 0xFFAAAAAAu);

  // Larger: each source pixel becomes a block.
  const Pixels blocks = ScaledByArea(Pixels{2, 1, {kRed, kBlue}}, 4, 2);
  EXPECT_EQ(blocks.argb,
            (std::vector<std::uint32_t>{kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue}));
  EXPECT_TRUE(ScaledByArea(stripes, 0, 1).empty());
  EXPECT_TRUE(ScaledByArea(Pixels{}, 2, 2).empty());
}

TEST(Pictures, BannerKeepsItsProportionAndItsLastColumnCarriesOn) {
  const Pixels banner{1400, 100, std::vector<std::uint32_t>(140000, kBlue)};
  EXPECT_EQ(WidthAtHeight(banner, 50), 700);
  EXPECT_EQ(WidthAtHeight(banner, 75), 1050);
  EXPECT_EQ(WidthAtHeight(Pixels{3, 1000, std::vector<std::uint32_t>(3000)}, 1), 1);

  const Pixels pair{2, 2, {kRed, kBlue, kWhite, kBlack}};
  EXPECT_EQ(
      WidenedByLastColumn(pair, 4).argb,
      (std::vector<std::uint32_t>{kRed, kBlue, kBlue, kBlue, kWhite, kBlack, kBlack, kBlack}));
  EXPECT_EQ(WidenedByLastColumn(pair, 1).argb, (std::vector<std::uint32_t>{kRed, kWhite}));
  EXPECT_TRUE(WidenedByLastColumn(pair, 0).empty());
}

}  // namespace
}  // namespace hs::ui
