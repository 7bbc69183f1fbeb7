#include "controller/core/tray_record.h"

namespace ocural {
namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::u16string FitTrayTip(const std::u16string& tip) {
  constexpr size_t kMaxText = kTrayTipField - 1;
  if (tip.size() <= kMaxText) return tip;
  // A high surrogate as the last unit kept would lose its partner.
  const char16_t last = tip[kMaxText - 1];
  const bool splitsAPair = last >= 0xD800 && last <= 0xDBFF && tip[kMaxText] >= 0xDC00 && tip[kMaxText] <= 0xDFFF;
  return tip.substr(0, splitsAPair ? kMaxText - 1 : kMaxText);
}

std::vector<uint8_t> BuildTrayRecord(size_t pointerSize, uint64_t hWnd, uint32_t flags, uint64_t hIcon,
                                     const std::u16string& tip) {
  const TrayRecordLayout at = TrayRecordLayoutFor(pointerSize);
  const size_t handle = pointerSize == 8 ? 8 : 4;
  std::vector<uint8_t> bytes(at.size, 0);
  PutLittleEndian(bytes, at.cbSize, at.size, 4);
  PutLittleEndian(bytes, at.hWnd, hWnd, handle);
  PutLittleEndian(bytes, at.uID, 0, 4);
  PutLittleEndian(bytes, at.uFlags, flags, 4);
  PutLittleEndian(bytes, at.uCallbackMessage, kTrayCallbackMessage, 4);
  PutLittleEndian(bytes, at.hIcon, hIcon, handle);
  const std::u16string fitted = FitTrayTip(tip);
  for (size_t i = 0; i < fitted.size(); ++i) {
    PutLittleEndian(bytes, at.szTip + 2 * i, fitted[i], 2);
  }
  // The NUL after the text is already there from the zero fill.
  return bytes;
}

std::wstring TrayTipText(const std::wstring& trayTip) {
  // "ぴこら～" (the last character is U+FF5E FULLWIDTH TILDE).
  return L"\u3074\u3053\u3089\uFF5E" + trayTip;
}

std::wstring MagnifierTipText(int zoom, const std::wstring& skinName) {
  return L" [x" + std::to_wstring(zoom) + L"] " + skinName;
}

}  // namespace ocural
