// Reading skin files that may have been edited by hand.
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <set>
#include <string>

#include "skin/core/skin_file.h"

namespace ocural {
namespace {

TEST(SkinNumber, RoundsHalvesToEvenAndAcceptsBlanksAndExponents) {
  EXPECT_EQ(SkinNumber(L"12.5"), 12);
  EXPECT_EQ(SkinNumber(L"13.5"), 14);
  EXPECT_EQ(SkinNumber(L"-2.5"), -2);
  EXPECT_EQ(SkinNumber(L"12.51"), 13);
  EXPECT_EQ(SkinNumber(L" 7 "), 7);
  EXPECT_EQ(SkinNumber(L"\t-40\t"), -40);
  EXPECT_EQ(SkinNumber(L"1e3"), 1000);
  EXPECT_EQ(SkinNumber(L"2.5E-1"), 0);
  EXPECT_EQ(SkinNumber(L"+.75"), 1);
  EXPECT_EQ(SkinNumber(L"185"), 185);
}

TEST(SkinNumber, ClampsToThe32BitRange) {
  EXPECT_EQ(SkinNumber(L"1e20"), 2147483647);
  EXPECT_EQ(SkinNumber(L"-1e20"), -2147483647 - 1);
  EXPECT_EQ(SkinNumber(L"2147483647"), 2147483647);
  EXPECT_EQ(SkinNumber(L"2147483648"), 2147483647);
  EXPECT_EQ(SkinNumber(L"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(SkinNumber(L"1e999"), 2147483647);  // beyond the double range
}

TEST(SkinNumber, AnythingNotNumericIsZero) {
  for (const std::wstring text : {L"abc", L"", L" ", L"12px", L"0x10", L"1,000", L"yes", L"e3",
                                  L"1e", L"--1", L"inf", L"nan", L"1 2", L"\"5\""}) {
    EXPECT_EQ(SkinNumber(text), 0) << std::string(text.begin(), text.end());
  }
  // Full-width digits and other non-ASCII text are not numbers.
  EXPECT_EQ(SkinNumber(L"\uFF11\uFF12"), 0);
  EXPECT_EQ(SkinNumber(L"12\u3000"), 0);
  EXPECT_EQ(SkinNumber(std::wstring(L"1\0" L"2", 3)), 0);
}

TEST(SkinVisible, ShownOnlyForNumbersOtherThanZero) {
  EXPECT_TRUE(SkinVisible(L"1"));
  EXPECT_TRUE(SkinVisible(L"-1"));
  EXPECT_TRUE(SkinVisible(L" 2 "));
  EXPECT_TRUE(SkinVisible(L"1e20"));
  EXPECT_FALSE(SkinVisible(L"0"));
  EXPECT_FALSE(SkinVisible(L"0.0"));
  // The number itself is compared with 0, not the number rounded.
  EXPECT_TRUE(SkinVisible(L"0.4"));
  EXPECT_TRUE(SkinVisible(L"-0.5"));
  EXPECT_TRUE(SkinVisible(L"2e-3"));
  EXPECT_FALSE(SkinVisible(L"-0"));
  EXPECT_FALSE(SkinVisible(L"0e7"));
  EXPECT_FALSE(SkinVisible(L""));
  EXPECT_FALSE(SkinVisible(L"yes"));
  EXPECT_FALSE(SkinVisible(L"True"));
}

// Skins are shared between users in different locales: "." always reads, and
// so does the separator of the locale the skin is loaded in.
TEST(SkinNumber, PointAndTheLocaleSeparatorBothRead) {
  struct Case {
    const wchar_t* text;
    char separator;
    int32_t number;
    bool shown;
  };
  const Case cases[] = {
      {L"12.5", ',', 12, true},  {L"12,5", ',', 12, true},  {L"13,5", ',', 14, true},
      {L"12,5", '.', 0, false},  {L"0,4", ',', 0, true},    {L"0,4", '.', 0, false},
      {L"0.4", ',', 0, true},    {L"-2,5e1", ',', -25, true}, {L"1,000.5", ',', 0, false},
      {L"1.5,5", ',', 0, false}, {L"0,0", ',', 0, false},   {L"", ',', 0, false},
  };
  for (const Case& c : cases) {
    const std::string label = std::string(c.text, c.text + std::wcslen(c.text)) + " with '" +
                              c.separator + "'";
    EXPECT_EQ(SkinNumber(c.text, c.separator), c.number) << label;
    EXPECT_EQ(SkinVisible(c.text, c.separator), c.shown) << label;
  }
}

TEST(SkinSpan, NegativeOrTooWideSpansKeepTheButtonSize) {
  const int32_t kMin = INT32_MIN;
  const int32_t kMax = INT32_MAX;
  struct Case {
    int32_t from, to, span;
  };
  const Case cases[] = {
      {101, 140, 39},  {-5, 5, 10},       {7, 7, 0},         {140, 101, -1},
      {0, kMax, kMax}, {-1, kMax - 1, kMax}, {-1, kMax, -1}, {kMin, kMax, -1},
      {kMax, kMin, -1}, {kMin, -1, kMax}, {kMin, 0, -1},    {kMax, kMax, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkinSpan(c.from, c.to), c.span) << c.from << " to " << c.to;
  }
}

using Keys = std::map<std::wstring, std::wstring>;

SkinFile ReadFrom(const Keys& keys, std::set<std::wstring>* asked = nullptr) {
  return ReadSkinFile([&](const std::wstring& key) {
    if (asked) asked->insert(key);
    const auto it = keys.find(key);
    return it == keys.end() ? std::wstring() : it->second;
  });
}

TEST(ReadSkinFile, FillsEveryFieldFromItsKey) {
  const Keys keys = {{L"name", L"\u4E38\u30EB\u30FC\u30DA"},
                     {L"author", L"Ocural project"},
                     {L"description", L"  spaced  text  "},
                     {L"base", L"skins\\round_base.bmp"},
                     {L"lens", L"skins\\round_lens.bmp"},
                     {L"lensoffsetx", L"20"},
                     {L"lensoffsety", L"21.5"},
                     {L"inbuttonvisible", L"1"},
                     {L"inrectx1", L"101"},
                     {L"inrectx2", L"102"},
                     {L"inrecty1", L"103"},
                     {L"inrecty2", L"104"},
                     {L"outbuttonvisible", L"0"},
                     {L"outrectx1", L"-5"},
                     {L"outrectx2", L"206"},
                     {L"outrecty1", L"207"},
                     {L"outrecty2", L"1e3"}};
  std::set<std::wstring> asked;
  const SkinFile s = ReadFrom(keys, &asked);
  EXPECT_EQ(s.name, L"\u4E38\u30EB\u30FC\u30DA");
  EXPECT_EQ(s.author, L"Ocural project");
  EXPECT_EQ(s.description, L"  spaced  text  ");
  EXPECT_EQ(s.base, L"skins\\round_base.bmp");
  EXPECT_EQ(s.lens, L"skins\\round_lens.bmp");
  EXPECT_EQ(s.lensOffsetX, 20);
  EXPECT_EQ(s.lensOffsetY, 22);
  EXPECT_TRUE(s.inVisible);
  EXPECT_EQ(s.inRect.x1, 101);
  EXPECT_EQ(s.inRect.x2, 102);
  EXPECT_EQ(s.inRect.y1, 103);
  EXPECT_EQ(s.inRect.y2, 104);
  EXPECT_FALSE(s.outVisible);
  EXPECT_EQ(s.outRect.x1, -5);
  EXPECT_EQ(s.outRect.x2, 206);
  EXPECT_EQ(s.outRect.y1, 207);
  EXPECT_EQ(s.outRect.y2, 1000);
  std::set<std::wstring> names;
  for (const auto& kv : keys) names.insert(kv.first);
  EXPECT_EQ(asked, names);  // exactly these keys, in lower case
}

TEST(ReadSkinFile, PassesTheLocaleSeparatorOn) {
  const Keys keys = {{L"lensoffsetx", L"20,5"}, {L"lensoffsety", L"21.5"},
                     {L"inbuttonvisible", L"0,5"}, {L"outrecty2", L"1,5e3"}};
  const SkinFile s = ReadSkinFile(
      [&](const std::wstring& key) {
        const auto it = keys.find(key);
        return it == keys.end() ? std::wstring() : it->second;
      },
      ',');
  EXPECT_EQ(s.lensOffsetX, 20);
  EXPECT_EQ(s.lensOffsetY, 22);
  EXPECT_TRUE(s.inVisible);
  EXPECT_EQ(s.outRect.y2, 1500);
  EXPECT_EQ(ReadFrom(keys).lensOffsetX, 0);  // "," is not a separator in a "." locale
}

TEST(ReadSkinFile, MissingKeysGiveEmptyTextZerosAndHiddenButtons) {
  const SkinFile s = ReadFrom({});
  EXPECT_EQ(s.name, L"");
  EXPECT_EQ(s.base, L"");
  EXPECT_EQ(s.lens, L"");
  EXPECT_EQ(s.lensOffsetX, 0);
  EXPECT_EQ(s.lensOffsetY, 0);
  EXPECT_FALSE(s.inVisible);
  EXPECT_FALSE(s.outVisible);
  EXPECT_EQ(s.inRect.x2, 0);
  EXPECT_EQ(s.outRect.y2, 0);
  const SkinFile none = ReadSkinFile(SkinKeyReader());
  EXPECT_EQ(none.lensOffsetX, 0);
  EXPECT_FALSE(none.inVisible);
}

// Every numeric and visibility key set to the same hand-edited value.
SkinFile AllNumbersAre(const std::wstring& value) {
  Keys keys;
  for (const wchar_t* key : {L"lensoffsetx", L"lensoffsety", L"inbuttonvisible", L"inrectx1",
                             L"inrectx2", L"inrecty1", L"inrecty2", L"outbuttonvisible",
                             L"outrectx1", L"outrectx2", L"outrecty1", L"outrecty2"}) {
    keys[key] = value;
  }
  keys[L"name"] = value;
  return ReadFrom(keys);
}

TEST(ReadSkinFile, HandEditedValuesNeverBreakReading) {
  struct Case {
    std::wstring text;
    int32_t number;
  };
  std::wstring junk;
  for (int c = 1; c < 0x100; c += 7) junk.push_back(static_cast<wchar_t>(c));
  const Case cases[] = {{L"", 0},          {L"   ", 0},       {L"1e3", 1000},
                        {L"9e99", 2147483647}, {L"-9e99", -2147483647 - 1}, {L"yes", 0},
                        {L"\"12\"", 0},    {L"12;comment", 0}, {junk, 0},
                        {std::wstring(4096, L'9'), 2147483647}, {L"7.5", 8}};
  for (const Case& c : cases) {
    const SkinFile s = AllNumbersAre(c.text);
    EXPECT_EQ(s.lensOffsetX, c.number);
    EXPECT_EQ(s.inRect.y2, c.number);
    EXPECT_EQ(s.outRect.x1, c.number);
    EXPECT_EQ(s.inVisible, c.number != 0);
    EXPECT_EQ(s.outVisible, c.number != 0);
    EXPECT_EQ(s.name, c.text);
  }
}

}  // namespace
}  // namespace ocural
