#include "widgets/DpiScaling.h"

namespace hs::ui {

int RescaledForDpi(int pixels, int fromDpi, int toDpi) {
  if (fromDpi < 1 || toDpi < 1) return pixels;
  const long long product = static_cast<long long>(pixels) * toDpi;
  const long long half = fromDpi / 2;
  const long long rounded = product >= 0 ? (product + half) / fromDpi : (product - half) / fromDpi;
  return static_cast<int>(rounded);
}

}  // namespace hs::ui
