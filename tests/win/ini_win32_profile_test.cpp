// Win32Profile beyond the shared INI contract: where the program's folder and
// name come from, files in folders the code page cannot name, and how the
// profile functions are called at their edges.
#include "settings/win32_profile.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/program_path.h"
#include "platform/win/text.h"
#include "tests/win/ini_scratch_win.h"

namespace ocural {
namespace {

TEST(Win32ProfileProgram, FolderAndNameAreThoseOfTheRunningExecutable) {
  std::vector<wchar_t> module(32768);
  const DWORD length =
      GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
  ASSERT_GT(length, 0u);
  std::wstring folder(module.data(), length);
  std::vector<wchar_t> work(folder.begin(), folder.end());
  work.push_back(L'\0');
  ASSERT_TRUE(PathRemoveFileSpecW(work.data()));
  folder = work.data();
  std::wstring stem = PathFindFileNameW(module.data());
  work.assign(stem.begin(), stem.end());
  work.push_back(L'\0');
  PathRemoveExtensionW(work.data());
  stem = work.data();

  Win32Profile profile;
  EXPECT_EQ(profile.AppFolder(), folder);
  EXPECT_EQ(profile.ExeName(), stem);
  EXPECT_NE(profile.AppFolder().back(), L'\\');
  EXPECT_TRUE(profile.PathExists(profile.AppFolder()));

  // The program's own INI file sits next to it.
  INIAccess ini(profile);
  ini.SetApplicationINI();
  EXPECT_EQ(ini.FileName, folder + L"\\" + stem + L".ini");
}

TEST(Win32ProfilePaths, FolderAndStemOfPaths) {
  struct Case {
    const char* path;
    const char* folder;
    const char* stem;
  };
  for (const Case& c : {
           Case{"C:\\Program Files\\Ocural\\Ocural.exe", "C:\\Program Files\\Ocural", "Ocural"},
           Case{"C:\\Ocural.exe", "C:\\", "Ocural"},
           Case{"\\\\server\\share\\Ocural.exe", "\\\\server\\share", "Ocural"},
           Case{"\\\\?\\C:\\Ocural.exe", "\\\\?\\C:\\", "Ocural"},
           Case{"\\Ocural.exe", "\\", "Ocural"},
           Case{"C:/tools/my.app.exe", "C:/tools", "my.app"},
           Case{"C:\\dotted.dir\\NoExtension", "C:\\dotted.dir", "NoExtension"},
           Case{"C:\\x\\.hidden", "C:\\x", ".hidden"},
           Case{"Ocural.exe", "", "Ocural"},
       }) {
    const auto wide = [](const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); };
    EXPECT_EQ(win::FolderOf(wide(c.path)), wide(c.folder)) << c.path;
    EXPECT_EQ(win::StemOf(wide(c.path)), wide(c.stem)) << c.path;
  }
}

TEST(Win32ProfilePaths, NamesInAnyScript) {
  EXPECT_EQ(win::FolderOf(L"C:\\Users\\Jos\u00E9\\Ocural\\Ocural.exe"), L"C:\\Users\\Jos\u00E9\\Ocural");
  EXPECT_EQ(win::StemOf(L"D:\\\uD55C\\\u00E9t\u00E9.app.exe"), L"\u00E9t\u00E9.app");
  EXPECT_EQ(win::WithBackslash(L"C:\\Jos\u00E9"), L"C:\\Jos\u00E9\\");
  EXPECT_EQ(win::WithBackslash(L"C:\\Jos\u00E9\\"), L"C:\\Jos\u00E9\\");
  EXPECT_EQ(win::WithBackslash(std::wstring(MAX_PATH, L'a')), L"");
}

class Win32ProfileFiles : public ::testing::Test {
 protected:
  std::wstring PathOf(const std::wstring& name) { return scratch_.WidePath() + L"\\" + name; }
  void Put(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    ASSERT_FALSE(out.fail());
  }
  std::string Get(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  ocural_test::WinScratch scratch_;
  Win32Profile profile_;
};

TEST_F(Win32ProfileFiles, ReadFillsAsMuchOfTheBufferAsItHas) {
  const std::wstring path = PathOf(L"a.ini");
  Put(path, "[S]\r\nk=abcdef\r\n");
  char buffer[8];
  std::fill(buffer, buffer + sizeof buffer, 'X');
  EXPECT_EQ(profile_.GetString("S", "k", buffer, 4, path), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'X');

  EXPECT_EQ(profile_.GetString("S", "k", buffer, 1, path), 0u);
  EXPECT_STREQ(buffer, "");
  buffer[0] = 'X';
  EXPECT_EQ(profile_.GetString("S", "k", buffer, 0, path), 0u);
  EXPECT_EQ(buffer[0], 'X');

  std::fill(buffer, buffer + sizeof buffer, 'X');
  EXPECT_EQ(profile_.GetString("S", "missing", buffer, sizeof buffer, path), 0u);
  EXPECT_STREQ(buffer, "");
}

TEST_F(Win32ProfileFiles, CutValueEndsOnAWholeCharacter) {
  if (GetACP() != 932) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  // 200 kana: 400 bytes in code page 932. 255 bytes would end in the middle
  // of a kana; 254 are whole characters.
  const std::wstring value(200, L'\u3042');
  const std::wstring path = PathOf(L"a.ini");
  Put(path, "[S]\r\nk=" + win::ToAnsi(value) + "\r\n");
  INIAccess ini(profile_);
  ini.FileName = path;
  EXPECT_EQ(ini.GetINIData(L"k", L"S"), value.substr(0, 127));
}

TEST_F(Win32ProfileFiles, EmptyFileNameIsNeverTheWindowsFolder) {
  char buffer[16] = "X";
  EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, L""), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", L""));
  EXPECT_FALSE(profile_.PathExists(L""));
}

TEST_F(Win32ProfileFiles, WriteToAFolderFails) {
  const std::wstring folder = PathOf(L"folder.ini");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", folder));
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  char buffer[16] = "X";
  EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, folder), 0u);
}

TEST_F(Win32ProfileFiles, WriteInAReadOnlyFolderReportsWhatHappened) {
  // Windows ignores the read-only flag of a folder when files are made in it;
  // a file system may not. Either way the result must tell the truth.
  const std::wstring folder = PathOf(L"locked");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring path = folder + L"\\x.ini";
  const bool written = profile_.WriteString("S", "k", "v", path);
  EXPECT_EQ(written, profile_.PathExists(path));
  if (written) {
    char buffer[16] = {};
    EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, path), 1u);
    EXPECT_STREQ(buffer, "v");
  }
}

// A folder whose name the system's code page cannot spell ("é" and Hangul
// are not in code page 932): the files in it are found, and what is written
// there are the bytes the ANSI profile functions write to a file in a plain
// folder, so either version of the program reads what the other wrote.
TEST_F(Win32ProfileFiles, FolderOutsideTheCodePageKeepsTheFilesAnsi) {
  const std::wstring folder = PathOf(L"Jos\u00E9 \uD55C");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_TRUE(profile_.PathExists(folder));
  struct Write {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
  };
  // The same writes both ways, on files that start as `initial` (none when
  // empty); the program's file goes into the folder above.
  const auto bothWays = [&](const std::string& initial, std::initializer_list<Write> writes) {
    const std::string plain = scratch_.Join("plain.ini");
    const std::wstring ours = folder + L"\\Ocural.ini";
    DeleteFileA(plain.c_str());
    DeleteFileW(ours.c_str());
    if (!initial.empty()) {
      Put(win::FromAnsi(plain), initial);
      Put(ours, initial);
    }
    INIAccess ini(profile_);
    ini.FileName = ours;
    for (const Write& w : writes) {
      EXPECT_TRUE(WritePrivateProfileStringA(win::ToAnsi(w.section).c_str(), win::ToAnsi(w.key).c_str(),
                                             win::ToAnsi(w.value).c_str(), plain.c_str()));
      EXPECT_TRUE(ini.SetINIData(w.key, w.value, w.section));
    }
    EXPECT_EQ(Get(ours), Get(win::FromAnsi(plain)));
    return Get(ours);
  };

  // A new file: plain ANSI text in CRLF lines, no byte order mark; a
  // character the code page lacks is written as the ANSI form writes it.
  const std::string made = bothWays("", {{L"OcuralSetting", L"LastSkin", L"\u62E1\u5927.vsk"},
                                         {L"OcuralSetting", L"Owner", L"Jos\u00E9"},
                                         {L"OcuralSetting", L"LastX", L"1440"}});
  EXPECT_EQ(made, "[OcuralSetting]\r\nLastSkin=" + win::ToAnsi(L"\u62E1\u5927.vsk") +
                      "\r\nOwner=" + win::ToAnsi(L"Jos\u00E9") + "\r\nLastX=1440\r\n");
  if (GetACP() == 932) {
    EXPECT_NE(made.find("LastSkin=\x8A\x67\x91\xE5.vsk\r\n"), std::string::npos);
  }
  INIAccess ini(profile_);
  ini.FileName = folder + L"\\Ocural.ini";
  EXPECT_EQ(ini.GetINIData(L"LastSkin", L"OcuralSetting"), L"\u62E1\u5927.vsk");
  EXPECT_EQ(ini.GetINIData(L"LastX", L""), L"1440");

  // An existing file written by hand, Japanese text, comment and all.
  const std::string name = win::ToAnsi(L"\u4E38\u578B\u30EB\u30FC\u30DA");  // 丸型ルーペ
  const std::string changed =
      bothWays("; made by hand\r\n[OcuralSkin]\r\nname=" + name + "\r\nlensoffsetx=8\r\n\r\n[T]\r\nk=1\r\n",
               {{L"OcuralSkin", L"lensoffsetx", L"12"}, {L"T", L"new", L"\u5024"}});
  EXPECT_NE(changed.find("name=" + name + "\r\nlensoffsetx=12\r\n"), std::string::npos) << changed;
  EXPECT_EQ(ini.GetINIData(L"name", L"OcuralSkin"), L"\u4E38\u578B\u30EB\u30FC\u30DA");
  EXPECT_EQ(ini.GetINIData(L"new", L"T"), L"\u5024");
}

}  // namespace
}  // namespace ocural
