#include "platform/win/handles.h"

namespace ocural::win {

BITMAPINFO TopDownDib32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

BITMAPINFO BottomUpDib32(int width, int height) {
  BITMAPINFO bi = TopDownDib32(width, height);
  bi.bmiHeader.biHeight = height;
  return bi;
}

Bitmap CreateDib32(int width, int height, void** bits) {
  const BITMAPINFO bi = TopDownDib32(width, height);
  *bits = nullptr;
  return Bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
}

bool DibImage::Create(int width, int height) {
  Destroy();
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  void* bits = nullptr;
  Bitmap bmp = CreateDib32(width, height, &bits);
  MemDC dc(CreateCompatibleDC(nullptr));
  if (!bmp || !dc || !bits) return false;
  oldBmp_ = SelectObject(dc.get(), bmp.get());
  bmp_ = std::move(bmp);
  dc_ = std::move(dc);
  bits_ = static_cast<DWORD*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

void DibImage::Destroy() {
  if (dc_ && oldBmp_) SelectObject(dc_.get(), oldBmp_);
  oldBmp_ = nullptr;
  dc_.reset();
  bmp_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

COLORREF DibImage::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  const DWORD v = bits_[static_cast<size_t>(y) * width_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

}  // namespace ocural::win
