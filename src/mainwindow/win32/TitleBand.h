#pragma once
// The banner behind the title band (imgTitle): a picture stretched over the
// band when one is given, else a plain colour. The picture arrives decoded
// (the system's imaging component does that, never code of ours); until the
// program ships one, the colour stands in.
#include <windows.h>

#include "ui/win32/GuiHandles.h"

namespace hs::mainwindow {

class TitleBand {
 public:
  TitleBand();
  // Takes a decoded 32-bit picture to stretch over the band.
  void SetPicture(ui::UniqueHbitmap picture);
  void Paint(HDC dc, const RECT& band) const;
  // What the labels on the band paint their background with, and their text colour.
  HBRUSH LabelBackground() const { return m_brush.get(); }
  COLORREF TextColour() const { return RGB(255, 255, 255); }

 private:
  ui::UniqueHbrush m_brush;
  ui::UniqueHbitmap m_picture;
};

}  // namespace hs::mainwindow
