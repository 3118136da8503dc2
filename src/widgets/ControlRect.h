#pragma once
// Where a control sits in its parent's client area, in pixels.

namespace hs::ui {

struct ControlRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

}  // namespace hs::ui
