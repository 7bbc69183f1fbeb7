#include "controller/core/tray_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ocural {
namespace {

bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// "ぴこら～" in CP932.
const std::string kNameSjis = "\x82\xD2\x82\xB1\x82\xE7\x81\x60";

uint64_t Read(const std::vector<uint8_t>& bytes, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
  return value;
}

std::vector<uint8_t> Expected32(uint32_t hWnd, uint32_t flags, uint32_t hIcon, const std::string& tip) {
  std::vector<uint8_t> e(88, 0);
  const uint32_t fields[] = {88, hWnd, 0, flags, 0x200, hIcon};
  for (size_t f = 0; f < 6; ++f) {
    for (size_t i = 0; i < 4; ++i) e[f * 4 + i] = static_cast<uint8_t>(fields[f] >> (8 * i));
  }
  std::memcpy(e.data() + 24, tip.data(), tip.size());
  return e;
}

TEST(TrayRecord, ThirtyTwoBitLayoutByteForByte) {
  const std::string tip = kNameSjis + " [x2] ";
  const auto bytes = BuildTrayRecord(4, 0x00012345, kNifAll, 0x0BADF00D, tip, ShiftJisLead);
  EXPECT_EQ(bytes, Expected32(0x00012345, 7, 0x0BADF00D, tip));
  EXPECT_EQ(bytes.size(), 88u);
}

TEST(TrayRecord, SixtyFourBitLayoutByteForByte) {
  const std::string tip = "abc";
  const auto bytes =
      BuildTrayRecord(8, 0x1122334455667788ull, kNifTip, 0x99AABBCCDDEEFF01ull, tip, ShiftJisLead);
  std::vector<uint8_t> e(104, 0);
  e[0] = 104;
  const uint8_t hwnd[] = {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
  std::memcpy(e.data() + 8, hwnd, 8);
  e[20] = 4;     // uFlags
  e[25] = 0x02;  // uCallbackMessage 0x200
  const uint8_t icon[] = {0x01, 0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99};
  std::memcpy(e.data() + 32, icon, 8);
  std::memcpy(e.data() + 40, "abc", 3);
  EXPECT_EQ(bytes, e);
}

TEST(TrayRecord, LayoutsMatchEachOther) {
  for (size_t ptr : {4u, 8u}) {
    const TrayRecordLayout at = TrayRecordLayoutFor(ptr);
    SCOPED_TRACE(ptr);
    EXPECT_EQ(at.szTip + kTrayTipField, at.size);
    EXPECT_EQ(at.hWnd % ptr, 0u);
    EXPECT_EQ(at.hIcon % ptr, 0u);
    const auto bytes = BuildTrayRecord(ptr, 0x42, 0, 0x43, "", ShiftJisLead);
    EXPECT_EQ(Read(bytes, at.cbSize, 4), at.size);
    EXPECT_EQ(Read(bytes, at.hWnd, ptr), 0x42u);
    EXPECT_EQ(Read(bytes, at.uID, 4), 0u);
    EXPECT_EQ(Read(bytes, at.uFlags, 4), 0u);
    EXPECT_EQ(Read(bytes, at.uCallbackMessage, 4), kTrayCallbackMessage);
    EXPECT_EQ(Read(bytes, at.hIcon, ptr), 0x43u);
  }
  // A 32-bit record keeps only the low half of a wider handle.
  const auto narrow = BuildTrayRecord(4, 0xFFFFFFFF00000010ull, 0, 0, "", ShiftJisLead);
  EXPECT_EQ(Read(narrow, 4, 4), 0x10u);
  EXPECT_EQ(Read(narrow, 8, 4), 0u);
}

TEST(TrayRecord, JapaneseTipAndZeroFill) {
  const std::string tip = kNameSjis + " [x2] ";
  const auto bytes = BuildTrayRecord(4, 1, kNifAll, 0, tip, ShiftJisLead);
  const uint8_t expected[] = {0x82, 0xD2, 0x82, 0xB1, 0x82, 0xE7, 0x81, 0x60,
                              ' ',  '[',  'x',  '2',  ']',  ' ',  0x00};
  ASSERT_EQ(tip.size() + 1, sizeof expected);
  EXPECT_EQ(std::memcmp(bytes.data() + 24, expected, sizeof expected), 0);
  for (size_t i = 24 + sizeof expected; i < 88; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(TrayRecord, LongTipCutAtSixtyThreeBytes) {
  for (size_t length : {63u, 64u, 65u, 200u}) {
    std::string tip;
    for (size_t i = 0; i < length; ++i) tip += static_cast<char>('A' + i % 26);
    for (size_t ptr : {4u, 8u}) {
      const auto bytes = BuildTrayRecord(ptr, 1, kNifTip, 0, tip, ShiftJisLead);
      const size_t at = TrayRecordLayoutFor(ptr).szTip;
      ASSERT_EQ(bytes.size(), at + 64);
      EXPECT_EQ(std::string(bytes.begin() + at, bytes.begin() + at + 63), tip.substr(0, 63)) << length;
      EXPECT_EQ(bytes[at + 63], 0) << length;
    }
  }
}

TEST(TrayRecord, NeverSplitsADoubleByteCharacter) {
  // 62 single bytes then "ぴ": the lead byte would be byte 63 of the text.
  const std::string straddling = std::string(62, 'a') + "\x82\xD2" + "zz";
  std::string fitted = FitTrayTip(straddling, ShiftJisLead);
  EXPECT_EQ(fitted, std::string(62, 'a'));
  auto bytes = BuildTrayRecord(4, 1, kNifTip, 0, straddling, ShiftJisLead);
  EXPECT_EQ(bytes[24 + 61], 'a');
  EXPECT_EQ(bytes[24 + 62], 0);
  EXPECT_EQ(bytes[24 + 63], 0);

  // 61 single bytes then a double-byte character ends exactly at 63.
  const std::string exact = std::string(61, 'a') + "\x82\xD2" + "\x82\xB1";
  EXPECT_EQ(FitTrayTip(exact, ShiftJisLead), std::string(61, 'a') + "\x82\xD2");

  // All double-byte: 31 characters (62 bytes) fit, the 32nd does not.
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += kNameSjis.substr(static_cast<size_t>(i % 4) * 2, 2);
  fitted = FitTrayTip(wide, ShiftJisLead);
  EXPECT_EQ(fitted, wide.substr(0, 62));

  // Trail bytes that are also in the lead range must not shift the
  // boundaries: here byte 62 is the trail 0x81 of a pair starting at 61, so
  // all 63 bytes are whole characters.
  std::string tricky = "a";
  for (int i = 0; i < 31; ++i) tricky += "\x82\x81";
  EXPECT_EQ(FitTrayTip(tricky + "zz", ShiftJisLead), tricky);

  // Without a predicate every byte is one character.
  EXPECT_EQ(FitTrayTip(straddling, LeadBytePredicate()), straddling.substr(0, 63));
}

TEST(TrayRecord, ShortTipsKeptAsTheyAre) {
  // Up to 63 bytes nothing is cut, even a lone lead byte at the end.
  const std::string tip = std::string(62, 'a') + "\x82";
  EXPECT_EQ(FitTrayTip(tip, ShiftJisLead), tip);
  EXPECT_EQ(FitTrayTip("", ShiftJisLead), "");
}

TEST(TrayTipText, NameAndMagnifierState) {
  EXPECT_EQ(TrayTipText(L""), L"ぴこら～");
  EXPECT_EQ(TrayTipText(MagnifierTipText(2, L"Default")), L"ぴこら～ [x2] Default");
  EXPECT_EQ(MagnifierTipText(16, L""), L" [x16] ");
  EXPECT_EQ(MagnifierTipText(-3, L"s"), L" [x-3] s");
}

}  // namespace
}  // namespace ocural
