#pragma once
// The banner behind the title band (imgTitle): the program's banner picture
// at the band's height, its last column carried on to the band's width, or a
// plain colour without one. The labels on the band paint their background
// from the same picture, so their text sits on the banner itself.
#include <windows.h>

#include "widgets/PictureScaling.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::mainwindow {

class TitleBand {
 public:
  TitleBand();
  // Takes the decoded banner, any size.
  void SetPicture(ui::Pixels picture);
  // Renders the banner for a band of this size (in pixels); again whenever
  // the band's size changes.
  void Fit(int width, int height);
  void Paint(HDC dc, const RECT& band) const;
  // Readies `dc` of a label whose top left corner is `offset` from the band's
  // and gives the brush its background is filled with: the banner there.
  HBRUSH LabelBackground(HDC dc, POINT offset) const;
  COLORREF TextColour() const { return RGB(255, 255, 255); }

 private:
  HBRUSH Background() const;

  ui::UniqueHbrush m_colour;
  ui::Pixels m_picture;
  ui::Pixels m_atHeight;  // m_picture scaled to the band's height
  SIZE m_fitted{};
  ui::UniqueHbitmap m_fittedBitmap;  // kept while the brush made from it lives
  ui::UniqueHbrush m_pattern;
};

}  // namespace hs::mainwindow
