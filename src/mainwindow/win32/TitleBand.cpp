#include "mainwindow/win32/TitleBand.h"

namespace hs::mainwindow {

namespace {
constexpr COLORREF kBandColour = RGB(0x1F, 0x4E, 0x79);
}  // namespace

TitleBand::TitleBand() : m_brush(::CreateSolidBrush(kBandColour)) {}

void TitleBand::SetPicture(ui::UniqueHbitmap picture) {
  m_picture = std::move(picture);
}

void TitleBand::Paint(HDC dc, const RECT& band) const {
  if (!m_picture) {
    ::FillRect(dc, &band, m_brush.get());
    return;
  }
  BITMAP info{};
  ::GetObjectW(m_picture.get(), sizeof info, &info);
  HDC source = ::CreateCompatibleDC(dc);
  const HGDIOBJ previous = ::SelectObject(source, m_picture.get());
  ::SetStretchBltMode(dc, HALFTONE);
  ::StretchBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, source, 0,
               0, info.bmWidth, info.bmHeight, SRCCOPY);
  ::SelectObject(source, previous);
  ::DeleteDC(source);
}

}  // namespace hs::mainwindow
