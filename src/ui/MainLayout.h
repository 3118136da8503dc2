#pragma once
// The main window's layout step, run at first show and on every resize: the
// banner spans the client width, the update link keeps to the right edge, the
// tree and the list reach down to the status bar and the list to the right.
#include "widgets/ControlRect.h"
#include "widgets/DpiScaling.h"

namespace hs::ui {

struct MainLayout {
  ControlRect imgTitle;
  ControlRect lUpdate;
  ControlRect iUpdate;
  ControlRect tvRegistry;
  ControlRect lvRegistryData;
  ControlRect StatusBar1;
};

// `current` holds the controls where they are now (only their designed tops,
// lefts and fixed sizes are read). Sizes that would turn negative in a very
// small (or minimised, 0 x 0) client area are held at 0. The banner's height
// and the update link's margins are written for 96 DPI and scaled to `dpi`,
// as the controls were at creation.
MainLayout LayoutStep(const MainLayout& current, int clientWidth, int clientHeight,
                      int dpi = kDesignDpi);

// Each of the rectangle's four numbers carried over: a control keeps its
// place and share of the window when the window moves to a monitor of
// another DPI.
ControlRect RescaledForDpi(const ControlRect& rect, int fromDpi, int toDpi);

}  // namespace hs::ui
