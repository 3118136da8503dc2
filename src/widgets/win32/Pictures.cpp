#include "widgets/win32/Pictures.h"

#include <wincodec.h>

#include <cstring>

namespace hs::ui {

namespace {

using win32::ComPtr;

constexpr UINT kLargestSide = 4096;

ComPtr<IWICBitmapSource> FirstFrameAsBgra(IWICImagingFactory& factory, std::string_view encoded) {
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  // WIC only reads the memory it is given.
  auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(encoded.data()));
  if (FAILED(factory.CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(encoded.size()))) ||
      FAILED(factory.CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                             decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) ||
      FAILED(factory.CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  ComPtr<IWICBitmapSource> source;
  if (FAILED(converter->QueryInterface(IID_IWICBitmapSource, source.putVoid()))) return {};
  return source;
}

Pixels PixelsOf(IWICBitmapSource& source) {
  UINT width = 0, height = 0;
  if (FAILED(source.GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > kLargestSide || height > kLargestSide)
    return {};
  Pixels pixels{static_cast<int>(width), static_cast<int>(height), {}};
  pixels.argb.resize(static_cast<std::size_t>(width) * height);
  const UINT stride = width * 4;
  if (FAILED(source.CopyPixels(nullptr, stride, stride * height,
                               reinterpret_cast<BYTE*>(pixels.argb.data()))))
    return {};
  return pixels;
}

}  // namespace

std::string_view PictureResourceBytes(int id, HMODULE program) {
  const HMODULE module = program ? program : ::GetModuleHandleW(nullptr);
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (!found) return {};
  const void* bytes = ::LockResource(::LoadResource(module, found));
  if (!bytes) return {};
  return {static_cast<const char*>(bytes), ::SizeofResource(module, found)};
}

Pixels DecodePicture(std::string_view encoded) {
  if (encoded.empty() || encoded.size() > MAXDWORD) return {};
  const win32::ComScope com;
  ComPtr<IWICImagingFactory> factory;
  if (!com.ok() || FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, factory.putVoid())))
    return {};
  const ComPtr<IWICBitmapSource> source = FirstFrameAsBgra(*factory.get(), encoded);
  return source ? PixelsOf(*source.get()) : Pixels{};
}

UniqueHbitmap BitmapOf(const Pixels& pixels) {
  if (pixels.empty()) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueHbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, pixels.argb.data(), pixels.argb.size() * sizeof(pixels.argb[0]));
  return bitmap;
}

UniqueHimagelist ImageListOfStrip(const Pixels& strip) {
  if (strip.empty() || strip.width < strip.height) return {};
  const int count = strip.width / strip.height;
  UniqueHimagelist list(::ImageList_Create(strip.height, strip.height, ILC_COLOR32, count, 0));
  const UniqueHbitmap bitmap = BitmapOf(strip);
  if (!list || !bitmap || ::ImageList_Add(list.get(), bitmap.get(), nullptr) < 0) return {};
  return list;
}

}  // namespace hs::ui
