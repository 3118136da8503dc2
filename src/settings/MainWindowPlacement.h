#pragma once
// What the settings file needs of the main window: its screen, its bounds,
// its show state and the checks of its section tree. The main window
// implements it; tests use a fake.
#include <array>
#include <optional>

namespace hs {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class MainWindowPlacement {
 public:
  // The main window's size as designed, before any stored size is applied.
  static constexpr int kDesignedWidth = 684;
  static constexpr int kDesignedHeight = 520;

  virtual ~MainWindowPlacement() = default;
  virtual ScreenSize Screen() const = 0;
  // Current bounds in screen pixels.
  virtual WindowBounds Bounds() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  // GetWindowPlacement's show command (1 normal, 2 minimized, 3 maximized),
  // nothing when the placement can't be read.
  virtual std::optional<int> PlacementShowCommand() const = 0;
  // Copies the checked state of every section-tree node into the flag whose
  // number is the node's image index (flags 1 to 23; index 0 unused).
  virtual void CollectSectionChecks(std::array<bool, 24>& flags) = 0;
};

}  // namespace hs
