#include "mainwindow/win32/TitleBand.h"

#include "widgets/win32/Pictures.h"

namespace hs::mainwindow {

namespace {
constexpr COLORREF kBandColour = RGB(0x1F, 0x4E, 0x79);
}  // namespace

TitleBand::TitleBand() : m_colour(::CreateSolidBrush(kBandColour)) {}

void TitleBand::SetPicture(ui::Pixels picture) {
  m_picture = std::move(picture);
  m_atHeight = {};
  m_fitted = {};
  m_pattern.reset();
  m_fittedBitmap.reset();
}

void TitleBand::Fit(int width, int height) {
  if (m_picture.empty() || width < 1 || height < 1) return;
  if (m_fitted.cx == width && m_fitted.cy == height) return;
  if (m_atHeight.height != height)
    m_atHeight = ui::ScaledByArea(m_picture, ui::WidthAtHeight(m_picture, height), height);
  ui::UniqueHbitmap bitmap = ui::BitmapOf(ui::WidenedByLastColumn(m_atHeight, width));
  ui::UniqueHbrush pattern(bitmap ? ::CreatePatternBrush(bitmap.get()) : nullptr);
  if (!pattern) return;
  m_pattern = std::move(pattern);
  m_fittedBitmap = std::move(bitmap);
  m_fitted = {width, height};
}

HBRUSH TitleBand::Background() const {
  return m_pattern ? m_pattern.get() : m_colour.get();
}

void TitleBand::Paint(HDC dc, const RECT& band) const {
  ::SetBrushOrgEx(dc, band.left, band.top, nullptr);
  ::FillRect(dc, &band, Background());
}

HBRUSH TitleBand::LabelBackground(HDC dc, POINT offset) const {
  ::SetTextColor(dc, TextColour());
  ::SetBkColor(dc, kBandColour);
  // Text over the picture: its cells show between the letters.
  ::SetBkMode(dc, m_pattern ? TRANSPARENT : OPAQUE);
  ::SetBrushOrgEx(dc, -offset.x, -offset.y, nullptr);
  return Background();
}

}  // namespace hs::mainwindow
