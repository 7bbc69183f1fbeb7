// The program settings through Win32Profile: LoadSettings and SaveSettings on
// real files with the real profile functions.
#include "settings/core/app_settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/locale.h"
#include "settings/win32_profile.h"
#include "tests/win/ini_scratch_win.h"

namespace ocural {
namespace {

// The real profile functions, with the program folder moved into a scratch
// folder so the tests do not write next to the test program.
class FolderProfile : public Win32Profile {
 public:
  explicit FolderProfile(std::wstring folder) : folder_(std::move(folder)) {}
  std::wstring AppFolder() override { return folder_; }

 private:
  std::wstring folder_;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  ASSERT_FALSE(out.fail()) << path;
}

// Lines that carry more than blanks, line breaks removed.
std::vector<std::string> DataLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : bytes + "\n") {
    if (c == '\r') continue;
    if (c != '\n') {
      line += c;
    } else {
      if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
      line.clear();
    }
  }
  return lines;
}

std::vector<std::string> WithoutBlanks(std::vector<std::string> lines) {
  for (std::string& line : lines) {
    line.erase(
        std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; }),
        line.end());
  }
  return lines;
}

class SettingsWinTest : public ::testing::Test {
 protected:
  SettingsWinTest()
      : profile_(scratch_.WidePath()),
        ini_(profile_),
        path_(scratch_.Join(profile_.ToAnsi(profile_.ExeName()) + ".ini")) {}

  ocural_test::WinScratch scratch_;
  FolderProfile profile_;
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

TEST_F(SettingsWinTest, NewFileHoldsTheNineKeysInOrder) {
  AppSettingsRecord record;
  record.AlwaysTop = true;
  record.NoLoadSkin = true;
  record.ColorPickMode = 3;
  record.LastSkin = L"NotThisOne";
  SaveSettings(ini_, record, L"Blue", 1440.0, -120.0, 4);
  EXPECT_EQ(ini_.FileName, profile_.FromAnsi(path_));
  EXPECT_EQ(ReadBytes(path_),
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

  // A second save replaces the values where they stand.
  SaveSettings(ini_, record, L"", 1234.5, 0.1, 32767);
  EXPECT_EQ(ReadBytes(path_),
            "[OcuralSetting]\r\n"
            "AlwaysTop=1\r\n"
            "ColorPicker=0\r\n"
            "NoLoadSkin=1\r\n"
            "ShowTrayIcon=0\r\n"
            "ColorPickMode=3\r\n"
            "LastSkin=\r\n"
            "LastX=1234.5\r\n"
            "LastY=0.1\r\n"
            "LastMagnification=32767\r\n");
}

TEST_F(SettingsWinTest, SaveThenLoadGivesTheSameValues) {
  AppSettingsRecord saved;
  saved.ShowTrayIcon = true;
  saved.ColorPicker = true;
  saved.ColorPickMode = 1;
  SaveSettings(ini_, saved, L"Blue Glass", 28800.0, -1935.0, 16);

  INIAccess fresh(profile_);
  AppSettingsRecord loaded = Garbage();
  LoadSettings(fresh, loaded);
  EXPECT_TRUE(loaded.ShowTrayIcon);
  EXPECT_FALSE(loaded.AlwaysTop);
  EXPECT_FALSE(loaded.NoLoadSkin);
  EXPECT_TRUE(loaded.ColorPicker);
  EXPECT_EQ(loaded.ColorPickMode, 1);
  EXPECT_EQ(loaded.LastSkin, L"Blue Glass");
  EXPECT_EQ(loaded.LastX, 28800);
  EXPECT_EQ(loaded.LastY, -1935);
  EXPECT_EQ(loaded.LastMagnification, 16);

  // Every flag the other way round; half twips come back rounded half to even.
  AppSettingsRecord flipped;
  flipped.AlwaysTop = flipped.NoLoadSkin = true;
  flipped.ColorPickMode = 3;
  SaveSettings(ini_, flipped, L"x", 1234.5, 1235.5, 1);
  LoadSettings(fresh, loaded);
  EXPECT_FALSE(loaded.ShowTrayIcon);
  EXPECT_TRUE(loaded.AlwaysTop);
  EXPECT_TRUE(loaded.NoLoadSkin);
  EXPECT_FALSE(loaded.ColorPicker);
  EXPECT_EQ(loaded.ColorPickMode, 3);
  EXPECT_EQ(loaded.LastSkin, L"x");
  EXPECT_EQ(loaded.LastX, 1234);
  EXPECT_EQ(loaded.LastY, 1236);
  EXPECT_EQ(loaded.LastMagnification, 1);
}

TEST_F(SettingsWinTest, HandEditedFileIsReadAndItsOtherLinesSurviveASave) {
  WriteBytes(path_,
             "; my settings\r\n"
             "[Other]\r\n"
             "AlwaysTop=unrelated\r\n"
             "[ocuralsetting]\r\n"
             "  alwaystop = 0 \r\n"
             "LASTSKIN = \"  Blue Glass  \"\r\n"
             "LastX =\t1.5e3\r\n"
             "Extra=keep me\r\n");
  AppSettingsRecord record = Garbage();
  LoadSettings(ini_, record);
  EXPECT_FALSE(record.AlwaysTop);
  EXPECT_EQ(record.LastSkin, L"  Blue Glass  ");
  EXPECT_EQ(record.LastX, 1500);
  EXPECT_EQ(record.LastY, -1);

  // The profile functions may tidy blanks in the lines they rewrite; what
  // each line says, and where, must stay.
  SaveSettings(ini_, AppSettingsRecord(), L"S", 15.0, 30.0, 2);
  EXPECT_EQ(WithoutBlanks(DataLines(ReadBytes(path_))),
            (std::vector<std::string>{
                ";mysettings", "[Other]", "AlwaysTop=unrelated", "[ocuralsetting]", "alwaystop=0",
                "LASTSKIN=S", "LastX=15", "Extra=keepme", "ColorPicker=0", "NoLoadSkin=0",
                "ShowTrayIcon=0", "ColorPickMode=0", "LastY=30", "LastMagnification=2"}))
      << ReadBytes(path_);
}

TEST_F(SettingsWinTest, ReadOnlyFileIsLeftAloneWithoutAHang) {
  const std::string original = "[OcuralSetting]\r\nAlwaysTop=0\r\nLastSkin=Kept\r\nLastX=10\r\n";
  WriteBytes(path_, original);
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  // Under Wine run as root a read-only file still opens for writing. There a
  // handle that shares the file with readers only makes it just as unwritable.
  HANDLE lock = INVALID_HANDLE_VALUE;
  HANDLE probe = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    lock = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  }

  const auto start = std::chrono::steady_clock::now();
  SaveSettings(ini_, AppSettingsRecord(), L"Lost", 99.0, 99.0, 9);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(ReadBytes(path_), original);
  EXPECT_FALSE(ini_.SetINIData(L"LastSkin", L"Lost", L""));

  AppSettingsRecord record;
  LoadSettings(ini_, record);
  EXPECT_FALSE(record.AlwaysTop);
  EXPECT_EQ(record.LastSkin, L"Kept");
  EXPECT_EQ(record.LastX, 10);
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
}

// The user's decimal separator changed through SetLocaleInfo, which keeps it
// in HKCU\Control Panel\International (sDecimal), and put back at the end.
// Wine 8 keeps the value once a process has read it: a change made in the
// registry directly is not seen by a process that has already read it.
class UserDecimalSeparator {
 public:
  explicit UserDecimalSeparator(const char* separator) {
    char old[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old, sizeof old) > 0) old_ = old;
    set_ = !old_.empty() && SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
  }
  ~UserDecimalSeparator() {
    if (set_) SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_.c_str());
  }
  UserDecimalSeparator(const UserDecimalSeparator&) = delete;
  UserDecimalSeparator& operator=(const UserDecimalSeparator&) = delete;
  bool Set() const { return set_; }

 private:
  std::string old_;
  bool set_ = false;
};

std::string RegistryDecimalSeparator() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return "(no key)";
  }
  char value[16] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(key, "sDecimal", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return "(no REG_SZ value)";
  return value;
}

// Saves write "." in every locale; at 192 DPI positions have halves.
TEST_F(SettingsWinTest, PositionsReadBackInACommaLocale) {
  UserDecimalSeparator comma(",");
  ASSERT_TRUE(comma.Set());
  EXPECT_EQ(RegistryDecimalSeparator(), ",");
  ASSERT_EQ(LocaleDecimalSeparator(), ',');

  WriteBytes(path_, "[OcuralSetting]\r\nLastX=2257.5\r\nLastY=2257,5\r\n");
  AppSettingsRecord record = Garbage();
  LoadSettings(ini_, record, LocaleDecimalSeparator());
  EXPECT_EQ(record.LastX, 2258);
  EXPECT_EQ(record.LastY, 2258);
}

// The ANSI side is code page 932 when Wine runs with a Japanese locale.
bool JapaneseCodePage() { return GetACP() == 932; }

TEST_F(SettingsWinTest, JapaneseSkinNameGoesThroughTheSystemCodePage) {
  if (!JapaneseCodePage()) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  // 丸型.vsk, and 表示ソフト.vsk whose 表 and ソ end in the byte of "\".
  const std::wstring round = L"\u4E38\u578B.vsk";
  const std::wstring backslashy = L"\u8868\u793A\u30BD\u30D5\u30C8.vsk";

  SaveSettings(ini_, AppSettingsRecord(), round, 0.0, 0.0, 2);
  EXPECT_NE(ReadBytes(path_).find("\r\nLastSkin=\x8A\xDB\x8C\x5E.vsk\r\n"), std::string::npos)
      << ReadBytes(path_);
  INIAccess fresh(profile_);
  AppSettingsRecord loaded = Garbage();
  LoadSettings(fresh, loaded);
  EXPECT_EQ(loaded.LastSkin, round);

  SaveSettings(ini_, AppSettingsRecord(), backslashy, 0.0, 0.0, 2);
  EXPECT_NE(ReadBytes(path_).find("\r\nLastSkin=\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x67.vsk\r\n"),
            std::string::npos)
      << ReadBytes(path_);
  LoadSettings(fresh, loaded);
  EXPECT_EQ(loaded.LastSkin, backslashy);
}

TEST(SettingsWinFolder, ProgramFolderNamedInAnyScript) {
  // 表示 (in code page 932 the byte after each lead byte is "\"), and "é"
  // and Hangul, which code page 932 does not have at all.
  for (const std::wstring name : {L"\u8868\u793A", L"Jos\u00E9 \uD55C"}) {
    ocural_test::WinScratch scratch;
    const std::wstring folder = scratch.WidePath() + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    FolderProfile profile(folder);
    INIAccess ini(profile);
    SaveSettings(ini, AppSettingsRecord(), L"S", 45.0, 60.0, 3);

    // The file is inside the folder, not in one named after half a character
    // or after what the code page makes of the name.
    const std::wstring file = folder + L"\\" + profile.ExeName() + L".ini";
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ini.FileName, file);

    AppSettingsRecord loaded = Garbage();
    LoadSettings(ini, loaded);
    EXPECT_EQ(loaded.LastSkin, L"S");
    EXPECT_EQ(loaded.LastX, 45);
    EXPECT_EQ(loaded.LastY, 60);
    EXPECT_EQ(loaded.LastMagnification, 3);
  }
}

}  // namespace
}  // namespace ocural
