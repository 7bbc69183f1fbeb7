// The tray icon's tip cut to its 64-unit field. The cut text is the start of
// the tip, never ends inside a surrogate pair, leaves room for the NUL and
// keeps every whole character that fits; the record around it holds the
// fields where the layout says, zeros elsewhere.
//
// Input: a mode, the pointer size, handles and flags, then the tip as
// little-endian UTF-16. In mode 1 the tip is also built the program's way,
// "<name> [xN] <skin>", from the remaining bytes taken as a UTF-8 skin name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controller/core/tray_record.h"
#include "tests/common/portable_profile.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Wide text (UTF-32 here) as UTF-16.
std::u16string ToUtf16(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) {
    const auto code = static_cast<uint32_t>(c);
    if (code >= 0x10000 && code <= 0x10FFFF) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

uint64_t LE(const std::vector<uint8_t>& b, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= uint64_t{b[at + i]} << (8 * i);
  return v;
}

void CheckFit(const std::u16string& text) {
  const std::u16string tip = FitTrayTip(text);
  FUZZ_CHECK(tip.size() <= kTrayTipField - 1);
  FUZZ_CHECK(text.compare(0, tip.size(), tip) == 0);
  if (text.size() <= kTrayTipField - 1) {
    FUZZ_CHECK(tip == text);
    return;
  }
  // One unit short only where the last one would have been half a pair.
  if (tip.size() == kTrayTipField - 2) {
    FUZZ_CHECK(IsHigh(text[kTrayTipField - 2]) && IsLow(text[kTrayTipField - 1]));
  } else {
    FUZZ_CHECK(tip.size() == kTrayTipField - 1);
    FUZZ_CHECK(!(IsHigh(tip.back()) && IsLow(text[tip.size()])));
  }
}

void CheckRecord(size_t pointerSize, uint64_t hWnd, uint32_t flags, uint64_t hIcon, const std::u16string& text) {
  const std::vector<uint8_t> r = BuildTrayRecord(pointerSize, hWnd, flags, hIcon, text);
  const bool wide = pointerSize == 8;
  const size_t handle = wide ? 8 : 4;
  const uint64_t mask = wide ? ~uint64_t{0} : 0xFFFFFFFFu;
  FUZZ_CHECK(r.size() == (wide ? 168u : 152u));
  const size_t hWndAt = wide ? 8 : 4, idAt = hWndAt + handle, iconAt = wide ? 32 : 20,
               tipAt = iconAt + handle;
  FUZZ_CHECK(LE(r, 0, 4) == r.size());
  FUZZ_CHECK(LE(r, hWndAt, handle) == (hWnd & mask));
  FUZZ_CHECK(LE(r, idAt, 4) == 0 && LE(r, idAt + 4, 4) == flags && LE(r, idAt + 8, 4) == kTrayCallbackMessage);
  FUZZ_CHECK(LE(r, iconAt, handle) == (hIcon & mask));
  FUZZ_CHECK(tipAt + 2 * kTrayTipField == r.size());
  const std::u16string tip = FitTrayTip(text);
  for (size_t i = 0; i < tip.size(); ++i) FUZZ_CHECK(LE(r, tipAt + 2 * i, 2) == tip[i]);
  for (size_t i = tipAt + 2 * tip.size(); i < r.size(); ++i) FUZZ_CHECK(r[i] == 0);
  if (wide) FUZZ_CHECK(LE(r, 4, 4) == 0 && LE(r, 28, 4) == 0);  // padding
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool programTip = in.ConsumeBool();
  const size_t pointerSize = in.ConsumeBool() ? 8 : in.ConsumeIntegralInRange<size_t>(0, 16);
  const uint64_t hWnd = in.ConsumeIntegral<uint64_t>();
  const uint64_t hIcon = in.ConsumeIntegral<uint64_t>();
  const uint32_t flags = in.ConsumeIntegral<uint32_t>();
  const std::string rest = in.ConsumeRemainingBytesAsString();
  std::u16string text;
  for (size_t i = 0; i + 1 < rest.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(rest[i]) | static_cast<uint8_t>(rest[i + 1]) << 8);
  }
  CheckFit(text);
  CheckRecord(pointerSize, hWnd, flags, hIcon, text);
  if (programTip) {
    const int zoom = static_cast<int>(hWnd % 100000) - 50;
    const std::u16string tip = ToUtf16(TrayTipText(MagnifierTipText(zoom, Utf8ToWide(rest))));
    CheckFit(tip);
    CheckRecord(pointerSize, hWnd, flags, hIcon, tip);
  }
  return 0;
}
