#pragma once
// Pictures as plain pixels, and the two changes of size the window's pictures
// need: a scaling that averages every source pixel an output pixel covers
// (the same result on every system, unlike the scalers the platform offers),
// and a widening that carries the last column on, for a banner narrower than
// its band.
#include <cstdint>
#include <vector>

namespace hs::ui {

// 32-bit pixels 0xAARRGGBB, rows top down, alpha not premultiplied.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;

  bool empty() const { return width <= 0 || height <= 0; }
  std::uint32_t at(int x, int y) const {
    return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

// `source` at width x height by area averaging (each colour weighted by
// alpha, so transparent pixels lend no colour); made larger, each source
// pixel becomes a block. A size below 1 gives an empty picture.
Pixels ScaledByArea(const Pixels& source, int width, int height);

// `source` cut or carried on to `width`: columns past its end repeat its last.
Pixels WidenedByLastColumn(const Pixels& source, int width);

// A strip of square frames (each as wide as the strip is high) made of
// `strip`'s frames in the order `frames` names them; empty when a frame is
// missing or the strip is empty.
Pixels StripOfFrames(const Pixels& strip, const std::vector<int>& frames);

// The size, height kept in proportion, of `source` at `height` pixels high.
int WidthAtHeight(const Pixels& source, int height);

}  // namespace hs::ui
