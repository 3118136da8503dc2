#pragma once
// The one rounding rule for sizes carried between DPIs, used by the layout
// rules and by the Win32 windows alike.

namespace hs::ui {

inline constexpr int kDesignDpi = 96;  // the DPI every size in the code is written for

// `pixels` at `fromDpi` carried over to `toDpi`, rounded to the nearest (half
// away from zero, so a position left of the client area scales as one right
// of it). A DPI below 1 leaves the pixels as they are.
int RescaledForDpi(int pixels, int fromDpi, int toDpi);

}  // namespace hs::ui
