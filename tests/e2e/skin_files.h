// Skins made by the tests themselves: pictures written as 24-bit BMP files and
// the skin file (.vsk) that names them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ocural::e2e {

// A picture in memory, colours as COLORREF (0x00BBGGRR).
class Picture {
 public:
  Picture(int width, int height, COLORREF fill)
      : width_(width), height_(height), px_(static_cast<size_t>(width) * height, fill) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) px_[static_cast<size_t>(y) * width_ + x] = c;
  }
  // Fills the pixels x1..x2, y1..y2, edges included.
  void Fill(int x1, int y1, int x2, int y2, COLORREF c) {
    for (int y = y1; y <= y2; ++y) {
      for (int x = x1; x <= x2; ++x) Set(x, y, c);
    }
  }

 private:
  int width_;
  int height_;
  std::vector<COLORREF> px_;
};

namespace skin_files_detail {
inline void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace skin_files_detail

// The bytes of a bottom-up 24-bit BMP file of the picture, rows padded to
// whole 32-bit words.
inline std::string Bmp24(const Picture& p) {
  using skin_files_detail::Put16;
  using skin_files_detail::Put32;
  const uint32_t stride = (static_cast<uint32_t>(p.Width()) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(p.Height());
  const uint32_t offBits = 14 + 40;
  std::string s;
  s.reserve(offBits + imageSize);
  // BITMAPFILEHEADER
  s += "BM";
  Put32(s, offBits + imageSize);
  Put32(s, 0);
  Put32(s, offBits);
  // BITMAPINFOHEADER
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(p.Width()));
  Put32(s, static_cast<uint32_t>(p.Height()));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);  // BI_RGB
  Put32(s, imageSize);
  Put32(s, 3780);  // 96 dpi
  Put32(s, 3780);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = p.Height() - 1; y >= 0; --y) {
    const size_t rowStart = s.size();
    for (int x = 0; x < p.Width(); ++x) {
      const COLORREF c = p.At(x, y);
      s.push_back(static_cast<char>(GetBValue(c)));
      s.push_back(static_cast<char>(GetGValue(c)));
      s.push_back(static_cast<char>(GetRValue(c)));
    }
    s.append(rowStart + stride - s.size(), '\0');
  }
  return s;
}

// The text of a skin file: the [OcuralSkin] section with the keys in the
// order given.
inline std::string SkinText(const std::vector<std::pair<std::string, std::string>>& keys) {
  std::string s = "[OcuralSkin]\r\n";
  for (const auto& k : keys) s += k.first + "=" + k.second + "\r\n";
  return s;
}

}  // namespace ocural::e2e
