#pragma once
// The pictures compiled into a program (Pictures.rc): found among its
// resources and decoded from memory through the Windows Imaging Component,
// so any format it knows (JPEG, PNG...) can be shipped and no decoder of
// ours reads the bytes.
#include <windows.h>

#include <string_view>

#include "widgets/PictureScaling.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::ui {

// The bytes of RCDATA resource `id` in `program` (the running program by
// default); empty when it has none.
std::string_view PictureResourceBytes(int id, HMODULE program = nullptr);

// The first frame of an encoded picture; empty when it cannot be decoded or
// is wider or higher than 4096 pixels.
Pixels DecodePicture(std::string_view encoded);

inline Pixels LoadPictureResource(int id) {
  return DecodePicture(PictureResourceBytes(id));
}

// A 32-bit top-down bitmap holding `pixels` (alpha as given); empty for an
// empty picture.
UniqueHbitmap BitmapOf(const Pixels& pixels);

// An image list of the square images side by side in `strip` (each as wide
// as the strip is high), keeping their alpha; empty for an empty strip.
UniqueHimagelist ImageListOfStrip(const Pixels& strip);

}  // namespace hs::ui
