#include "controller/core/tray_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ocural {
namespace {

// "ぴこら～" as UTF-16.
const std::u16string kName = u"\u3074\u3053\u3089\uFF5E";

uint64_t Read(const std::vector<uint8_t>& bytes, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
  return value;
}

// The tip field's units up to the first NUL.
std::u16string TipIn(const std::vector<uint8_t>& bytes, size_t at) {
  std::u16string tip;
  for (size_t i = at; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(Read(bytes, i, 2));
    if (unit == 0) break;
    tip += unit;
  }
  return tip;
}

std::vector<uint8_t> Expected32(uint32_t hWnd, uint32_t flags, uint32_t hIcon, const std::u16string& tip) {
  std::vector<uint8_t> e(152, 0);
  const uint32_t fields[] = {152, hWnd, 0, flags, 0x200, hIcon};
  for (size_t f = 0; f < 6; ++f) {
    for (size_t i = 0; i < 4; ++i) e[f * 4 + i] = static_cast<uint8_t>(fields[f] >> (8 * i));
  }
  for (size_t i = 0; i < tip.size(); ++i) {
    e[24 + 2 * i] = static_cast<uint8_t>(tip[i]);
    e[24 + 2 * i + 1] = static_cast<uint8_t>(tip[i] >> 8);
  }
  return e;
}

TEST(TrayRecord, ThirtyTwoBitLayoutByteForByte) {
  const std::u16string tip = kName + u" [x2] ";
  const auto bytes = BuildTrayRecord(4, 0x00012345, kNifAll, 0x0BADF00D, tip);
  EXPECT_EQ(bytes, Expected32(0x00012345, 7, 0x0BADF00D, tip));
  EXPECT_EQ(bytes.size(), 152u);
}

TEST(TrayRecord, SixtyFourBitLayoutByteForByte) {
  const auto bytes = BuildTrayRecord(8, 0x1122334455667788ull, kNifTip, 0x99AABBCCDDEEFF01ull, u"ab\u0416");
  std::vector<uint8_t> e(168, 0);
  e[0] = 168;
  const uint8_t hwnd[] = {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
  std::memcpy(e.data() + 8, hwnd, 8);
  e[20] = 4;     // uFlags
  e[25] = 0x02;  // uCallbackMessage 0x200
  const uint8_t icon[] = {0x01, 0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99};
  std::memcpy(e.data() + 32, icon, 8);
  const uint8_t tip[] = {'a', 0, 'b', 0, 0x16, 0x04};  // "abЖ", little-endian
  std::memcpy(e.data() + 40, tip, sizeof tip);
  EXPECT_EQ(bytes, e);
}

TEST(TrayRecord, LayoutsMatchEachOther) {
  for (size_t ptr : {4u, 8u}) {
    const TrayRecordLayout at = TrayRecordLayoutFor(ptr);
    SCOPED_TRACE(ptr);
    EXPECT_EQ(at.szTip + 2 * kTrayTipField, at.size);
    EXPECT_EQ(at.hWnd % ptr, 0u);
    EXPECT_EQ(at.hIcon % ptr, 0u);
    const auto bytes = BuildTrayRecord(ptr, 0x42, 0, 0x43, u"");
    EXPECT_EQ(Read(bytes, at.cbSize, 4), at.size);
    EXPECT_EQ(Read(bytes, at.hWnd, ptr), 0x42u);
    EXPECT_EQ(Read(bytes, at.uID, 4), 0u);
    EXPECT_EQ(Read(bytes, at.uFlags, 4), 0u);
    EXPECT_EQ(Read(bytes, at.uCallbackMessage, 4), kTrayCallbackMessage);
    EXPECT_EQ(Read(bytes, at.hIcon, ptr), 0x43u);
  }
  // A 32-bit record keeps only the low half of a wider handle.
  const auto narrow = BuildTrayRecord(4, 0xFFFFFFFF00000010ull, 0, 0, u"");
  EXPECT_EQ(Read(narrow, 4, 4), 0x10u);
  EXPECT_EQ(Read(narrow, 8, 4), 0u);
}

TEST(TrayRecord, TipInAnyScriptAndZeroFill) {
  // Japanese, Cyrillic, accented Latin, Hangul and a character beyond the
  // BMP: none of them depends on a code page any more.
  const std::u16string tip = kName + u" [x2] \u0416\u00E9\uD55C\U0001F50D";
  for (size_t ptr : {4u, 8u}) {
    const auto bytes = BuildTrayRecord(ptr, 1, kNifAll, 0, tip);
    const size_t at = TrayRecordLayoutFor(ptr).szTip;
    EXPECT_EQ(TipIn(bytes, at), tip);
    EXPECT_EQ(Read(bytes, at, 2), 0x3074u);  // "ぴ", low byte first
    for (size_t i = at + 2 * tip.size(); i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
  }
}

TEST(TrayRecord, LongTipCutAtSixtyThreeUnits) {
  for (size_t length : {63u, 64u, 65u, 200u}) {
    std::u16string tip;
    for (size_t i = 0; i < length; ++i) tip += static_cast<char16_t>(i % 2 ? u'\u3042' + i % 80 : u'A' + i % 26);
    for (size_t ptr : {4u, 8u}) {
      const auto bytes = BuildTrayRecord(ptr, 1, kNifTip, 0, tip);
      const size_t at = TrayRecordLayoutFor(ptr).szTip;
      ASSERT_EQ(bytes.size(), at + 128);
      EXPECT_EQ(TipIn(bytes, at), tip.substr(0, 63)) << length;
      EXPECT_EQ(Read(bytes, at + 126, 2), 0u) << length;
    }
  }
}

TEST(TrayRecord, NeverSplitsASurrogatePair) {
  // 62 units then a pair: its high half would be unit 63.
  const std::u16string pair = u"\U0001F50D";
  const std::u16string straddling = std::u16string(62, u'a') + pair + u"zz";
  EXPECT_EQ(FitTrayTip(straddling), std::u16string(62, u'a'));
  const auto bytes = BuildTrayRecord(4, 1, kNifTip, 0, straddling);
  EXPECT_EQ(TipIn(bytes, 24), std::u16string(62, u'a'));

  // 61 units then a pair ends exactly at 63.
  const std::u16string exact = std::u16string(61, u'a') + pair + pair;
  EXPECT_EQ(FitTrayTip(exact), std::u16string(61, u'a') + pair);

  // Pairs only: 31 of them (62 units) fit, the 32nd does not.
  std::u16string pairs;
  for (int i = 0; i < 40; ++i) pairs += pair;
  EXPECT_EQ(FitTrayTip(pairs), pairs.substr(0, 62));

  // A lone high surrogate at the cut has no partner to keep it company.
  const std::u16string lone = std::u16string(62, u'a') + u'\xD83D' + u"zz";
  EXPECT_EQ(FitTrayTip(lone), std::u16string(62, u'a') + u'\xD83D');
}

TEST(TrayRecord, ShortTipsKeptAsTheyAre) {
  // Up to 63 units nothing is cut, even a high surrogate at the end.
  const std::u16string tip = std::u16string(62, u'a') + u'\xD83D';
  EXPECT_EQ(FitTrayTip(tip), tip);
  EXPECT_EQ(FitTrayTip(u""), u"");
}

TEST(TrayTipText, NameAndMagnifierState) {
  EXPECT_EQ(TrayTipText(L""), L"ぴこら～");
  EXPECT_EQ(TrayTipText(MagnifierTipText(2, L"Default")), L"ぴこら～ [x2] Default");
  EXPECT_EQ(MagnifierTipText(16, L""), L" [x16] ");
  EXPECT_EQ(MagnifierTipText(-3, L"s"), L" [x-3] s");
}

}  // namespace
}  // namespace ocural
