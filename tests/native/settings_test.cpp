// The program settings: how hand-edited values are read, and what a save
// writes, through PortableProfile on real files.
#include "settings/core/app_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <string>

#include "tests/common/portable_profile.h"
#include "tests/contract/scratch_dir.h"

namespace ocural {
namespace {

TEST(SettingsFlags, OnUnlessZeroForAlwaysTopAndTrayIcon) {
  for (auto parse : {&ParseAlwaysTop, &ParseShowTrayIcon}) {
    EXPECT_FALSE(parse(L"0"));
    for (const wchar_t* text : {L"", L"1", L"2", L"yes", L"false", L" 0", L"0 ", L"00", L"-0"}) {
      EXPECT_TRUE(parse(text)) << '"' << std::string(text, text + std::wcslen(text)) << '"';
    }
  }
}

TEST(SettingsFlags, OnOnlyForOneForColorPickerAndNoLoadSkin) {
  for (auto parse : {&ParseColorPicker, &ParseNoLoadSkin}) {
    EXPECT_TRUE(parse(L"1"));
    for (const wchar_t* text : {L"", L"0", L"2", L"yes", L"true", L"-1", L" 1", L"1.0", L"01"}) {
      EXPECT_FALSE(parse(text)) << '"' << std::string(text, text + std::wcslen(text)) << '"';
    }
  }
}

struct NumberCase {
  const wchar_t* text;
  long long expected;
};

std::string Narrow(const wchar_t* text) { return WideToUtf8(text); }

TEST(SettingsNumbers, ColorPickModeIsZeroToThree) {
  for (const NumberCase& c : std::initializer_list<NumberCase>{
           {L"0", 0}, {L"1", 1}, {L"3", 3}, {L" 2 ", 2}, {L"\t1\t", 1}, {L"3e0", 3},
           {L"2.5", 2}, {L"1.5", 2}, {L"0.5", 0}, {L"2.6", 3}, {L"3.4", 3}, {L"-0.4", 0},
           {L"3.5", 0}, {L"7", 0}, {L"-1", 0}, {L"1e20", 0}, {L"abc", 0}, {L"", 0},
           {L"&H2", 0}, {L"0x2", 0}}) {
    EXPECT_EQ(ParseColorPickMode(c.text), c.expected) << Narrow(c.text);
  }
}

TEST(SettingsNumbers, PositionIsAny32BitNumberElseMinusOne) {
  const long long kMax = std::numeric_limits<int32_t>::max();
  const long long kMin = std::numeric_limits<int32_t>::min();
  for (const NumberCase& c : std::initializer_list<NumberCase>{
           {L"-120", -120}, {L" 1440 ", 1440}, {L"0", 0}, {L"1.5e3", 1500}, {L"+7", 7},
           {L"2.5", 2}, {L"3.5", 4}, {L"-2.5", -2}, {L"-3.5", -4}, {L"1234.5", 1234},
           {L"2147483647", kMax}, {L"-2147483648", kMin}, {L"-2147483648.5", kMin},
           {L"2147483648", -1}, {L"2147483647.5", -1}, {L"-2147483649", -1},
           {L"99999999999", -1}, {L"1e20", -1}, {L"1e400", -1}, {L"-1e400", -1},
           {L"", -1}, {L"abc", -1}, {L"&H10", -1}, {L"0x10", -1}, {L"1,000", -1},
           {L"$5", -1}, {L"\uFF11\uFF12", -1}}) {
    EXPECT_EQ(ParseLastPosition(c.text), c.expected) << Narrow(c.text);
  }
}

TEST(SettingsNumbers, MagnificationIsOneTo32767ElseTwo) {
  for (const NumberCase& c : std::initializer_list<NumberCase>{
           {L"1", 1}, {L"25", 25}, {L"32767", 32767}, {L" 4 ", 4}, {L"1.5", 2},
           {L"2.5", 2}, {L"3.5", 4}, {L"32766.5", 32766}, {L"0", 2}, {L"-3", 2},
           {L"0.5", 2}, {L"32768", 2}, {L"32767.5", 2}, {L"99999999999", 2}, {L"1e20", 2},
           {L"", 2}, {L"abc", 2}, {L"yes", 2}, {L"$5", 2}}) {
    EXPECT_EQ(ParseLastMagnification(c.text), c.expected) << Narrow(c.text);
  }
}

TEST(SettingsNumbers, DecimalSeparatorIsTheCallers) {
  EXPECT_EQ(ParseLastPosition(L"1,5e3", ','), 1500);
  EXPECT_EQ(ParseLastPosition(L"1.5e3", ','), 1500);  // "." reads in every locale
  EXPECT_EQ(ParseColorPickMode(L"2,5", ','), 2);
  EXPECT_EQ(ParseLastMagnification(L"3,5", ','), 4);
}

// Positions are written with "." whatever the locale; at 192 DPI they have
// halves ("2257.5"), and they must read back in a "," locale as well as in a
// "." one. Hand-typed numbers in the locale's own form read too.
TEST(SettingsNumbers, PointAndTheLocaleSeparatorBothRead) {
  struct Case {
    const wchar_t* text;
    char separator;
    long long expected;
  };
  for (const Case& c : std::initializer_list<Case>{
           {L"2257.5", ',', 2258}, {L"2257,5", ',', 2258}, {L"2256.5", ',', 2256},
           {L"2257.5", '.', 2258}, {L"2257,5", '.', -1}, {L"-1,5e1", ',', -15},
           {L",5", ',', 0}, {L"1.5,5", ',', -1}, {L"1,5.5", ',', -1}, {L"1,000.5", ',', -1},
           {L"1 5", ',', -1}, {L"", ',', -1}}) {
    EXPECT_EQ(ParseLastPosition(c.text, c.separator), c.expected)
        << Narrow(c.text) << " with '" << c.separator << "'";
  }
}

class SettingsFileTest : public ::testing::Test {
 protected:
  // INIAccess adds "\" after the program folder; with a folder ending in "/"
  // that lands the INI file (named "\Ocural.ini") inside the scratch folder.
  SettingsFileTest()
      : profile_(scratch_.Path() + "/", "Ocural"),
        ini_(profile_),
        path_(scratch_.Join("\\Ocural.ini")) {}

  void Put(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string Contents() {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  ocural_test::ScratchDir scratch_;
  PortableProfile profile_;
  INIAccess ini_;
  std::string path_;
};

AppSettingsRecord Garbage() {
  AppSettingsRecord record;
  record.ShowTrayIcon = record.NoLoadSkin = true;
  record.AlwaysTop = record.ColorPicker = false;
  record.ColorPickMode = 99;
  record.LastMagnification = -5;
  record.LastSkin = L"stale";
  record.LastX = record.LastY = 12345;
  return record;
}

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault) {
  AppSettingsRecord record = Garbage();
  LoadSettings(ini_, record);
  EXPECT_EQ(ini_.FileName, profile_.FromAnsi(path_));
  EXPECT_EQ(ini_.Section, L"OcuralSetting");
  EXPECT_TRUE(record.AlwaysTop);
  EXPECT_FALSE(record.ColorPicker);
  EXPECT_FALSE(record.NoLoadSkin);
  EXPECT_TRUE(record.ShowTrayIcon);
  EXPECT_EQ(record.ColorPickMode, 0);
  EXPECT_EQ(record.LastSkin, L"");
  EXPECT_EQ(record.LastX, -1);
  EXPECT_EQ(record.LastY, -1);
  EXPECT_EQ(record.LastMagnification, 2);
}

TEST_F(SettingsFileTest, HandEditedFileIsReadLeniently) {
  Put("[other]\nLastX=5\n"
      "[ocuralsetting]\n"
      "  alwaystop = 0 \n"
      "COLORPICKER=1\n"
      "NoLoadSkin=yes\n"
      "ShowTrayIcon=\n"
      "ColorPickMode = 2.5\n"
      "LastSkin = \"  Blue Glass  \"\n"
      "LastX =\t1.5e3\n"
      "LastY=-2.5\n"
      "LastMagnification=32768\n");
  AppSettingsRecord record = Garbage();
  LoadSettings(ini_, record);
  EXPECT_FALSE(record.AlwaysTop);
  EXPECT_TRUE(record.ColorPicker);
  EXPECT_FALSE(record.NoLoadSkin);
  EXPECT_TRUE(record.ShowTrayIcon);
  EXPECT_EQ(record.ColorPickMode, 2);
  EXPECT_EQ(record.LastSkin, L"  Blue Glass  ");
  EXPECT_EQ(record.LastX, 1500);
  EXPECT_EQ(record.LastY, -2);
  EXPECT_EQ(record.LastMagnification, 2);
}

TEST_F(SettingsFileTest, LoadPassesTheDecimalSeparatorOn) {
  Put("[OcuralSetting]\r\nLastX=1,5\r\nLastY=1.5\r\nLastMagnification=3,5\r\n");
  AppSettingsRecord record;
  LoadSettings(ini_, record, ',');
  EXPECT_EQ(record.LastX, 2);
  EXPECT_EQ(record.LastY, 2);  // as written by a save
  EXPECT_EQ(record.LastMagnification, 4);
}

TEST_F(SettingsFileTest, SaveWritesTheNineKeysInOrder) {
  AppSettingsRecord record;
  record.AlwaysTop = true;
  record.NoLoadSkin = true;
  record.ColorPickMode = 3;
  record.LastSkin = L"NotThisOne";
  SaveSettings(ini_, record, L"Blue", 1440.0, -120.0, 4);
  EXPECT_EQ(Contents(),
            "[OcuralSetting]\r\n"
            "AlwaysTop=1\r\n"
            "ColorPicker=0\r\n"
            "NoLoadSkin=1\r\n"
            "ShowTrayIcon=0\r\n"
            "ColorPickMode=3\r\n"
            "LastSkin=Blue\r\n"
            "LastX=1440\r\n"
            "LastY=-120\r\n"
            "LastMagnification=4\r\n");

  SaveSettings(ini_, record, L"", 1234.5, 0.1, 32767);
  const std::string text = Contents();
  EXPECT_NE(text.find("\r\nLastSkin=\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nLastX=1234.5\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nLastY=0.1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nLastMagnification=32767\r\n"), std::string::npos) << text;
}

TEST_F(SettingsFileTest, SaveThenLoadGivesTheSameValues) {
  AppSettingsRecord saved;
  saved.ShowTrayIcon = true;
  saved.AlwaysTop = false;
  saved.NoLoadSkin = false;
  saved.ColorPicker = true;
  saved.ColorPickMode = 1;
  SaveSettings(ini_, saved, L"\u62E1\u5927 skin", 28800.0, -1935.0, 16);

  INIAccess fresh(profile_);
  AppSettingsRecord loaded = Garbage();
  LoadSettings(fresh, loaded);
  EXPECT_EQ(loaded.ShowTrayIcon, saved.ShowTrayIcon);
  EXPECT_EQ(loaded.AlwaysTop, saved.AlwaysTop);
  EXPECT_EQ(loaded.NoLoadSkin, saved.NoLoadSkin);
  EXPECT_EQ(loaded.ColorPicker, saved.ColorPicker);
  EXPECT_EQ(loaded.ColorPickMode, saved.ColorPickMode);
  EXPECT_EQ(loaded.LastSkin, L"\u62E1\u5927 skin");
  EXPECT_EQ(loaded.LastX, 28800);
  EXPECT_EQ(loaded.LastY, -1935);
  EXPECT_EQ(loaded.LastMagnification, 16);

  // Half twips are written as such and come back rounded half to even.
  SaveSettings(ini_, saved, L"x", 1234.5, 1235.5, 2);
  LoadSettings(fresh, loaded);
  EXPECT_EQ(loaded.LastX, 1234);
  EXPECT_EQ(loaded.LastY, 1236);
}

TEST_F(SettingsFileTest, SaveKeepsTheRestOfAnEditedFile) {
  Put("; my settings\r\n"
      "[OcuralSetting]\r\n"
      "lastx=1\r\n"
      "Extra=keep me\r\n"
      "\r\n"
      "[Other]\r\n"
      "AlwaysTop=unrelated\r\n");
  SaveSettings(ini_, AppSettingsRecord(), L"S", 15.0, 30.0, 2);
  EXPECT_EQ(Contents(),
            "; my settings\r\n"
            "[OcuralSetting]\r\n"
            "lastx=15\r\n"
            "Extra=keep me\r\n"
            "AlwaysTop=0\r\n"
            "ColorPicker=0\r\n"
            "NoLoadSkin=0\r\n"
            "ShowTrayIcon=0\r\n"
            "ColorPickMode=0\r\n"
            "LastSkin=S\r\n"
            "LastY=30\r\n"
            "LastMagnification=2\r\n"
            "\r\n"
            "[Other]\r\n"
            "AlwaysTop=unrelated\r\n");
}

TEST(SettingsSave, UnwritableFolderIsIgnored) {
  ocural_test::ScratchDir scratch;
  PortableProfile profile(scratch.Join("missing"), "Ocural");
  INIAccess ini(profile);
  SaveSettings(ini, AppSettingsRecord(), L"S", 0.0, 0.0, 2);
  EXPECT_FALSE(profile.PathExists(Utf8ToWide(scratch.Join("missing"))));
  AppSettingsRecord record;
  LoadSettings(ini, record);
  EXPECT_EQ(record.LastMagnification, 2);
  EXPECT_EQ(ini.Section, L"OcuralSetting");
}

}  // namespace
}  // namespace ocural
