#include "mainwindow/win32/AboutPicture.h"

#include <wincodec.h>

#include "platform/win32/UniqueHandle.h"

namespace hs::mainwindow {

namespace {

using win32::ComPtr;

ComPtr<IWICBitmapSource> FirstFrameAsBgra(IWICImagingFactory& factory, const std::wstring& path) {
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory.CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                               WICDecodeMetadataCacheOnDemand, decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) ||
      FAILED(factory.CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  ComPtr<IWICBitmapSource> source;
  if (FAILED(converter->QueryInterface(IID_IWICBitmapSource, source.putVoid()))) return {};
  return source;
}

}  // namespace

ui::UniqueHbitmap DecodePictureThroughWic(const std::wstring& path) {
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  const win32::ComScope com;
  ComPtr<IWICImagingFactory> factory;
  if (!com.ok() || FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, factory.putVoid())))
    return {};
  const ComPtr<IWICBitmapSource> source = FirstFrameAsBgra(*factory.get(), path);
  UINT width = 0, height = 0;
  if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > 4096 || height > 4096)
    return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ui::UniqueHbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UINT stride = width * 4;
  if (!bitmap ||
      FAILED(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
    return {};
  return bitmap;
}

}  // namespace hs::mainwindow
