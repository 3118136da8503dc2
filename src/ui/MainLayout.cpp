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

int Scaled(int pixelsAt96, int dpi) {
  return RescaledForDpi(pixelsAt96, kDesignDpi, dpi);
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

ControlRect RescaledForDpi(const ControlRect& rect, int fromDpi, int toDpi) {
  return {RescaledForDpi(rect.left, fromDpi, toDpi), RescaledForDpi(rect.top, fromDpi, toDpi),
          RescaledForDpi(rect.width, fromDpi, toDpi), RescaledForDpi(rect.height, fromDpi, toDpi)};
}

}  // namespace hs::ui
