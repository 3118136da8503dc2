// The pictures compiled into the GUI program: the JPEGs and the tree strips
// decode through WIC to their sizes (the console program carries none), and
// the section tree shows the strip drawn for a DPI, with its presses on the
// state icons still counted whatever the images' size.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "mainwindow/win32/SectionTreeView.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/TreeImageChoice.h"
#include "ui/win32/PictureIds.h"
#include "widgets/win32/Pictures.h"
#include "win32/BesideTestProgram.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

win32::UniqueHmodule ResourcesOf(const wchar_t* program) {
  return win32::UniqueHmodule(
      ::LoadLibraryExW(BesideTestProgram(program).c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

int Blue(std::uint32_t pixel) {
  return static_cast<int>(pixel & 0xFF);
}
int Red(std::uint32_t pixel) {
  return static_cast<int>((pixel >> 16) & 0xFF);
}

TEST(PicturesTest, GuiProgramCarriesJpegsAndStripsThatDecodeToTheirSizes) {
  const win32::UniqueHmodule gui = ResourcesOf(L"hivesweep.exe");
  const win32::UniqueHmodule console = ResourcesOf(L"hivesweep-cli.exe");
  ASSERT_TRUE(gui && console);
  for (const int id : {HS_PICTURE_BANNER, HS_PICTURE_ABOUT}) {
    const std::string_view bytes = ui::PictureResourceBytes(id, gui.get());
    ASSERT_GT(bytes.size(), 2u) << id;
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8") << "a JPEG: " << id;
    EXPECT_TRUE(ui::PictureResourceBytes(id, console.get()).empty()) << id;
  }
  const ui::Pixels banner =
      ui::DecodePicture(ui::PictureResourceBytes(HS_PICTURE_BANNER, gui.get()));
  ASSERT_EQ(banner.width, 1400);
  ASSERT_EQ(banner.height, 100);
  // The band's blue behind the labels, the amber rule along the bottom.
  EXPECT_GT(Blue(banner.at(40, 40)), Red(banner.at(40, 40)) + 60);
  EXPECT_GT(Red(banner.at(700, 99)), Blue(banner.at(700, 99)) + 100);
  const ui::Pixels about = ui::DecodePicture(ui::PictureResourceBytes(HS_PICTURE_ABOUT, gui.get()));
  EXPECT_EQ(about.width, 128);
  EXPECT_EQ(about.height, 128);
  const struct {
    int id;
    int side;
  } strips[] = {{HS_PICTURE_TREE_STATES_16, 16}, {HS_PICTURE_TREE_STATES_24, 24},
                {HS_PICTURE_TREE_STATES_32, 32}, {HS_PICTURE_TREE_NODES_16, 16},
                {HS_PICTURE_TREE_NODES_24, 24},  {HS_PICTURE_TREE_NODES_32, 32}};
  for (const auto& strip : strips) {
    const ui::Pixels pixels = ui::DecodePicture(ui::PictureResourceBytes(strip.id, gui.get()));
    EXPECT_EQ(pixels.width, 3 * strip.side) << strip.id;
    EXPECT_EQ(pixels.height, strip.side) << strip.id;
    // Transparent corners: the images sit on the tree's own background.
    if (!pixels.empty()) {
      EXPECT_EQ(pixels.at(0, 0) >> 24, 0u) << strip.id;
    }
  }
  EXPECT_TRUE(ui::DecodePicture("not a picture").empty());
}

int ImageSide(HWND tree, int which) {
  int side = 0;
  ImageList_GetIconSize(TreeView_GetImageList(tree, which), &side, &side);
  return side;
}

// A press on the middle of the node's state icon (left of its node image).
void PressStateIcon(HWND tree, HTREEITEM node, int imageSide) {
  RECT text{};
  TreeView_GetItemRect(tree, node, &text, TRUE);
  const POINT at{text.left - imageSide - imageSide / 2, (text.top + text.bottom) / 2};
  TVHITTESTINFO hit{};
  hit.pt = at;
  EXPECT_EQ(TreeView_HitTest(tree, &hit), node);
  EXPECT_TRUE(hit.flags & TVHT_ONITEMSTATEICON) << "at " << at.x << " with " << imageSide;
  ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  PumpUntilIdle();
}

TEST(PicturesTest, SectionTreeShowsTheStripForEachDpiAndItsStateIconsStillToggle) {
  const ui::UniqueHwnd tree(::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_VISIBLE | TVS_HASLINES, 0, 0,
                                              400, 700, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(tree);
  ui::SectionTree model;
  mainwindow::SectionTreeView view(tree.get(), model);
  const ui::TreeView nodes(tree.get());
  const std::vector<HTREEITEM> items = nodes.nodesInTreeOrder();
  ASSERT_EQ(items.size(), 22u);
  // Each node's image index, normal and selected, is its task number.
  for (std::size_t i = 0; i < items.size(); ++i) {
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = items[i];
    ASSERT_TRUE(::SendMessageW(tree.get(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, model.node(i).number) << i;
    EXPECT_EQ(item.iSelectedImage, model.node(i).number) << i;
  }
  EXPECT_FALSE(::GetWindowLongPtrW(tree.get(), GWL_STYLE) & TVS_CHECKBOXES);
  for (const UINT dpi : {96u, 144u, 192u}) {
    view.UseImagesFor(dpi);
    const int side = ui::TreeImageSizeForDpi(dpi);
    EXPECT_EQ(ImageSide(tree.get(), TVSIL_STATE), side) << dpi;
    EXPECT_EQ(ImageSide(tree.get(), TVSIL_NORMAL), side) << dpi;
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree.get(), TVSIL_STATE)), 3);
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree.get(), TVSIL_NORMAL)), 23);
    EXPECT_GE(TreeView_GetItemHeight(tree.get()), side) << dpi;
    // A hive off and on again: its group follows, by the model's rules.
    PressStateIcon(tree.get(), items[3], side);
    EXPECT_EQ(nodes.stateIndex(items[3]), ui::kStateUnchecked) << dpi;
    PressStateIcon(tree.get(), items[3], side);
    EXPECT_EQ(nodes.stateIndex(items[3]), ui::kStateChecked) << dpi;
  }
}

}  // namespace
}  // namespace hs::test
