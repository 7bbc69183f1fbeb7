// The tray icon's tip cut to its 64-byte field. The cut text is the start of
// the tip, ends on a character boundary (a double-byte character is never
// split), leaves room for the NUL and keeps every whole character that fits;
// the record around it holds the fields where the layout says, zeros elsewhere.
//
// Input: how lead bytes are told (Shift-JIS/CP932, a table from the input or
// none), the pointer size, then the tip. In the Shift-JIS case the tip is
// also built the program's way, "<name> [xN] <skin>" from UTF-8, and
// converted to CP932 with iconv.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "controller/core/tray_record.h"
#include "tests/common/portable_profile.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

bool Cp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The text in CP932, characters it does not have left out.
std::string ToCp932(const std::wstring& text) {
  static iconv_t cd = iconv_open("CP932//IGNORE", "UTF-32LE");
  FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1));
  std::vector<uint32_t> in(text.begin(), text.end());
  std::string out(text.size() * 2 + 8, '\0');
  char* src = reinterpret_cast<char*>(in.data());
  size_t srcLeft = in.size() * 4;
  char* dst = out.data();
  size_t dstLeft = out.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  out.resize(out.size() - dstLeft);
  return out;
}

uint64_t LE(const std::vector<uint8_t>& b, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= uint64_t{b[at + i]} << (8 * i);
  return v;
}

void CheckFit(const std::string& text, const LeadBytePredicate& lead) {
  const std::string tip = FitTrayTip(text, lead);
  FUZZ_CHECK(tip.size() <= kTrayTipField - 1);
  FUZZ_CHECK(text.compare(0, tip.size(), tip) == 0);
  if (text.size() <= kTrayTipField - 1) {
    FUZZ_CHECK(tip == text);
    return;
  }
  // Where the characters of the text start: a lead byte takes the byte after
  // it along, when there is one.
  size_t at = 0;
  bool onBoundary = tip.empty();
  while (at < text.size()) {
    const size_t length = lead && lead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
    if (at == tip.size()) {
      onBoundary = true;
      FUZZ_CHECK(at + length > kTrayTipField - 1);  // the next character does not fit
      break;
    }
    at += length;
  }
  FUZZ_CHECK(onBoundary);
}

void CheckRecord(size_t pointerSize, uint64_t hWnd, uint32_t flags, uint64_t hIcon,
                 const std::string& text, const LeadBytePredicate& lead) {
  const std::vector<uint8_t> r = BuildTrayRecord(pointerSize, hWnd, flags, hIcon, text, lead);
  const bool wide = pointerSize == 8;
  const size_t handle = wide ? 8 : 4;
  const uint64_t mask = wide ? ~uint64_t{0} : 0xFFFFFFFFu;
  FUZZ_CHECK(r.size() == (wide ? 104u : 88u));
  const size_t hWndAt = wide ? 8 : 4, idAt = hWndAt + handle, iconAt = wide ? 32 : 20,
               tipAt = iconAt + handle;
  FUZZ_CHECK(LE(r, 0, 4) == r.size());
  FUZZ_CHECK(LE(r, hWndAt, handle) == (hWnd & mask));
  FUZZ_CHECK(LE(r, idAt, 4) == 0 && LE(r, idAt + 4, 4) == flags && LE(r, idAt + 8, 4) == kTrayCallbackMessage);
  FUZZ_CHECK(LE(r, iconAt, handle) == (hIcon & mask));
  FUZZ_CHECK(tipAt + kTrayTipField == r.size());
  const std::string tip = FitTrayTip(text, lead);
  FUZZ_CHECK(std::string(r.begin() + tipAt, r.begin() + tipAt + tip.size()) == tip);
  for (size_t i = tipAt + tip.size(); i < r.size(); ++i) FUZZ_CHECK(r[i] == 0);
  if (wide) FUZZ_CHECK(LE(r, 4, 4) == 0 && LE(r, 28, 4) == 0);  // padding
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int mode = in.ConsumeIntegralInRange<int>(0, 3);
  const size_t pointerSize = in.ConsumeBool() ? 8 : in.ConsumeIntegralInRange<size_t>(0, 16);
  const uint64_t hWnd = in.ConsumeIntegral<uint64_t>();
  const uint64_t hIcon = in.ConsumeIntegral<uint64_t>();
  const uint32_t flags = in.ConsumeIntegral<uint32_t>();
  LeadBytePredicate lead;
  std::bitset<256> table;
  if (mode == 1) {
    for (int i = 0; i < 256; i += 8) {
      const uint8_t bits = in.ConsumeIntegral<uint8_t>();
      for (int k = 0; k < 8; ++k) table[size_t(i + k)] = (bits >> k) & 1;
    }
    lead = [&table](unsigned char b) { return table[b]; };
  } else if (mode != 2) {
    lead = Cp932Lead;
  }
  const std::string text = in.ConsumeRemainingBytesAsString();
  CheckFit(text, lead);
  CheckRecord(pointerSize, hWnd, flags, hIcon, text, lead);
  if (mode == 3) {
    // The tip the program shows, from a skin name given as UTF-8.
    const int zoom = static_cast<int>(hWnd % 100000) - 50;
    const std::string ansi = ToCp932(TrayTipText(MagnifierTipText(zoom, Utf8ToWide(text))));
    CheckFit(ansi, lead);
    CheckRecord(pointerSize, hWnd, flags, hIcon, ansi, lead);
  }
  return 0;
}
