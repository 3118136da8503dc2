#include "ui/MainLayout.h"

#include <algorithm>

namespace hs::ui {

namespace {

constexpr int kBannerHeight = 50;
constexpr int kUpdateLinkMargin = 20;
constexpr int kUpdateIconOffset = 25;

int AtLeastZero(int value) {
  return std::max(value, 0);
}

// Pixels at 96 DPI to pixels at `dpi`, rounded to the nearest.
int Scaled(int pixelsAt96, int dpi) {
  return (pixelsAt96 * dpi + 48) / 96;
}

}  // namespace

MainLayout LayoutStep(const MainLayout& current, int clientWidth, int clientHeight, int dpi) {
  MainLayout next = current;
  next.imgTitle.width = AtLeastZero(clientWidth);
  next.imgTitle.height = Scaled(kBannerHeight, dpi);
  next.lUpdate.left = clientWidth - current.lUpdate.width - Scaled(kUpdateLinkMargin, dpi);
  next.iUpdate.left = next.lUpdate.left - Scaled(kUpdateIconOffset, dpi);
  const int statusHeight = current.StatusBar1.height;
  next.tvRegistry.height = AtLeastZero(clientHeight - current.tvRegistry.top - statusHeight);
  next.lvRegistryData.height =
      AtLeastZero(clientHeight - current.lvRegistryData.top - statusHeight);
  next.lvRegistryData.width = AtLeastZero(clientWidth - current.lvRegistryData.left);
  next.StatusBar1.top = clientHeight - statusHeight;
  next.StatusBar1.width = AtLeastZero(clientWidth);
  return next;
}

}  // namespace hs::ui
