#pragma once
// A main window that only remembers what the settings file told it.
#include "settings/MainWindowPlacement.h"

namespace hs {

class FakeMainWindow : public MainWindowPlacement {
 public:
  ScreenSize screen{1280, 1024};
  WindowBounds bounds{0, 0, kDesignedWidth, kDesignedHeight};
  std::optional<int> showCommand = 1;
  std::optional<std::array<bool, 24>> sectionChecks;  // what the tree shows, if anything

  ScreenSize Screen() const override { return screen; }
  WindowBounds Bounds() const override { return bounds; }
  void SetWidth(int width) override { bounds.width = width; }
  void SetHeight(int height) override { bounds.height = height; }
  std::optional<int> PlacementShowCommand() const override { return showCommand; }
  void CollectSectionChecks(std::array<bool, 24>& flags) override {
    if (sectionChecks) flags = *sectionChecks;
  }
};

}  // namespace hs
