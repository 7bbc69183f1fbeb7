// Move-only owners for the Win32 handles the program holds. Hand a handle
// over with release() only after the API that takes ownership succeeded.
#pragma once

#include <windows.h>

#include <utility>

namespace ocural::win {

template <typename H, typename Deleter>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, H{}));
    return *this;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (h_ != H{}) Deleter{}(h_);
    h_ = h;
  }

 private:
  H h_{};
};

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MemDCDeleter {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct IconDeleter {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct MenuDeleter {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct GlobalDeleter {
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};

using Bitmap = UniqueHandle<HBITMAP, GdiObjectDeleter>;
using Region = UniqueHandle<HRGN, GdiObjectDeleter>;
using Font = UniqueHandle<HFONT, GdiObjectDeleter>;
using Brush = UniqueHandle<HBRUSH, GdiObjectDeleter>;
using MemDC = UniqueHandle<HDC, MemDCDeleter>;
using Icon = UniqueHandle<HICON, IconDeleter>;
using Menu = UniqueHandle<HMENU, MenuDeleter>;
using GlobalMemory = UniqueHandle<HGLOBAL, GlobalDeleter>;

// A device context taken with GetDC, released with ReleaseDC on the same window.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC for the lifetime of the guard.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The description of a 32-bit top-down DIB of the given size, for
// CreateDIBSection, GetDIBits and SetDIBits alike.
BITMAPINFO TopDownDib32(int width, int height);
// The same with the bottom row first, as GDI stores bitmaps.
BITMAPINFO BottomUpDib32(int width, int height);
// A 32-bit top-down DIB section of that size; `bits` gets its pixels.
Bitmap CreateDib32(int width, int height, void** bits);

// A 32-bit top-down DIB section selected into its own memory DC.
class DibImage {
 public:
  DibImage() = default;
  DibImage(int width, int height) { Create(width, height); }
  ~DibImage() { Destroy(); }
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  bool Create(int width, int height);
  void Destroy();
  void Swap(DibImage& other) noexcept {
    std::swap(dc_, other.dc_);
    std::swap(bmp_, other.bmp_);
    std::swap(oldBmp_, other.oldBmp_);
    std::swap(bits_, other.bits_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
  }
  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bmp_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Pixel as 0x00RRGGBB in the DIB's own layout; callers use Pixel().
  const DWORD* bits() const { return bits_; }
  DWORD* bits() { return bits_; }
  // Colour at (x, y) as 0x00BBGGRR, or CLR_INVALID outside the image.
  COLORREF Pixel(int x, int y) const;

 private:
  MemDC dc_;
  Bitmap bmp_;
  HGDIOBJ oldBmp_ = nullptr;
  DWORD* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ocural::win
