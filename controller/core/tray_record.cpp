#include "controller/core/tray_record.h"

namespace ocural {
namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::string FitTrayTip(const std::string& tipAnsi, const LeadBytePredicate& isLeadByte) {
  constexpr size_t kMaxText = kTrayTipField - 1;
  if (tipAnsi.size() <= kMaxText) return tipAnsi;
  size_t end = 0;
  while (end < tipAnsi.size()) {
    const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(tipAnsi[end]));
    const size_t length = (lead && end + 1 < tipAnsi.size()) ? 2 : 1;
    if (end + length > kMaxText) break;
    end += length;
  }
  return tipAnsi.substr(0, end);
}

std::vector<uint8_t> BuildTrayRecord(size_t pointerSize, uint64_t hWnd, uint32_t flags, uint64_t hIcon,
                                     const std::string& tipAnsi, const LeadBytePredicate& isLeadByte) {
  const TrayRecordLayout at = TrayRecordLayoutFor(pointerSize);
  const size_t handle = pointerSize == 8 ? 8 : 4;
  std::vector<uint8_t> bytes(at.size, 0);
  PutLittleEndian(bytes, at.cbSize, at.size, 4);
  PutLittleEndian(bytes, at.hWnd, hWnd, handle);
  PutLittleEndian(bytes, at.uID, 0, 4);
  PutLittleEndian(bytes, at.uFlags, flags, 4);
  PutLittleEndian(bytes, at.uCallbackMessage, kTrayCallbackMessage, 4);
  PutLittleEndian(bytes, at.hIcon, hIcon, handle);
  const std::string tip = FitTrayTip(tipAnsi, isLeadByte);
  for (size_t i = 0; i < tip.size(); ++i) {
    bytes[at.szTip + i] = static_cast<uint8_t>(tip[i]);
  }
  // The NUL after the text is already there from the zero fill.
  return bytes;
}

std::wstring TrayTipText(const std::wstring& trayTip) {
  // "ぴこら～" (the last character is U+FF5E FULLWIDTH TILDE, 0x8160 in CP932).
  return L"\u3074\u3053\u3089\uFF5E" + trayTip;
}

std::wstring MagnifierTipText(int zoom, const std::wstring& skinName) {
  return L" [x" + std::to_wstring(zoom) + L"] " + skinName;
}

}  // namespace ocural
