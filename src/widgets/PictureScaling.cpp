#include "widgets/PictureScaling.h"

#include <algorithm>
#include <array>

namespace hs::ui {

namespace {

// Sums of one output pixel's covered area, in source-pixel units.
struct ChannelSums {
  double alpha = 0;
  std::array<double, 3> colour{};  // red, green, blue, each weighted by alpha
  double area = 0;

  void Add(std::uint32_t pixel, double weight) {
    const double a = static_cast<double>(pixel >> 24) * weight;
    alpha += a;
    for (int c = 0; c < 3; ++c)
      colour[static_cast<std::size_t>(c)] +=
          a * static_cast<double>((pixel >> (16 - 8 * c)) & 0xFF);
    area += weight;
  }

  std::uint32_t Average() const {
    if (area <= 0 || alpha <= 0) return 0;
    const auto channel = [](double value) {
      return static_cast<std::uint32_t>(std::clamp(value + 0.5, 0.0, 255.0));
    };
    std::uint32_t pixel = channel(alpha / area) << 24;
    for (int c = 0; c < 3; ++c)
      pixel |= channel(colour[static_cast<std::size_t>(c)] / alpha) << (16 - 8 * c);
    return pixel;
  }
};

// How much of source cell `cell` the span [from, to) covers.
double Overlap(int cell, double from, double to) {
  return std::max(0.0, std::min(to, cell + 1.0) - std::max(from, static_cast<double>(cell)));
}

std::uint32_t AreaAverage(const Pixels& source, double left, double top, double right,
                          double bottom) {
  ChannelSums sums;
  for (int y = static_cast<int>(top); y < source.height && y < bottom; ++y) {
    const double rowWeight = Overlap(y, top, bottom);
    for (int x = static_cast<int>(left); x < source.width && x < right; ++x) {
      const double weight = rowWeight * Overlap(x, left, right);
      if (weight > 0) sums.Add(source.at(x, y), weight);
    }
  }
  return sums.Average();
}

}  // namespace

Pixels ScaledByArea(const Pixels& source, int width, int height) {
  if (source.empty() || width < 1 || height < 1) return {};
  Pixels result{width, height, {}};
  result.argb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const double stepX = static_cast<double>(source.width) / width;
  const double stepY = static_cast<double>(source.height) / height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      result.argb.push_back(
          AreaAverage(source, x * stepX, y * stepY, (x + 1) * stepX, (y + 1) * stepY));
  return result;
}

Pixels WidenedByLastColumn(const Pixels& source, int width) {
  if (source.empty() || width < 1) return {};
  Pixels result{width, source.height, {}};
  result.argb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(source.height));
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < width; ++x)
      result.argb.push_back(source.at(std::min(x, source.width - 1), y));
  return result;
}

Pixels StripOfFrames(const Pixels& strip, const std::vector<int>& frames) {
  const int side = strip.height;
  if (strip.empty() || frames.empty()) return {};
  const int count = strip.width / side;
  for (const int frame : frames)
    if (frame < 0 || frame >= count) return {};
  Pixels result{side * static_cast<int>(frames.size()), side, {}};
  result.argb.reserve(static_cast<std::size_t>(result.width) * static_cast<std::size_t>(side));
  for (int y = 0; y < side; ++y)
    for (const int frame : frames)
      for (int x = 0; x < side; ++x) result.argb.push_back(strip.at(frame * side + x, y));
  return result;
}

int WidthAtHeight(const Pixels& source, int height) {
  if (source.empty() || height < 1) return 0;
  const long long scaled = static_cast<long long>(source.width) * height + source.height / 2;
  return std::max(1, static_cast<int>(scaled / source.height));
}

}  // namespace hs::ui
