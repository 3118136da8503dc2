#pragma once
// The About box's picture, decoded through the Windows Imaging Component so
// that any format it knows (PNG, JPEG, BMP...) can be shipped.
#include <windows.h>

#include <string>

#include "ui/win32/GuiHandles.h"

namespace hs::mainwindow {

// The first frame of the image file as a 32-bit top-down bitmap; empty when
// the file is missing or WIC cannot decode it.
ui::UniqueHbitmap DecodePictureThroughWic(const std::wstring& path);

}  // namespace hs::mainwindow
