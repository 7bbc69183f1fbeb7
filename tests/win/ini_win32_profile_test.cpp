// Win32Profile beyond the shared INI contract: where the program's folder and
// name come from, ANSI path pieces in a double-byte code page, and how the
// profile functions are called at their edges.
#include "settings/win32_profile.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win/program_path.h"
#include "tests/win/ini_scratch_win.h"

namespace ocural {
namespace {

using win::AnsiFolderOf;
using win::AnsiStemOf;

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
  EXPECT_EQ(profile.FromAnsi(profile.AppFolder()), folder);
  EXPECT_EQ(profile.FromAnsi(profile.ExeName()), stem);
  EXPECT_NE(profile.AppFolder().back(), '\\');
  EXPECT_TRUE(profile.PathExists(profile.AppFolder()));

  // The program's own INI file sits next to it.
  INIAccess ini(profile);
  ini.SetApplicationINI();
  EXPECT_EQ(ini.FileName, folder + L"\\" + stem + L".ini");
}

TEST(Win32ProfilePaths, FolderAndStemOfAnsiPaths) {
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
    EXPECT_EQ(AnsiFolderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(AnsiStemOf(c.path), c.stem) << c.path;
    // The wide pieces, which the program's folder and name come from, agree.
    const auto wide = [](const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); };
    EXPECT_EQ(win::FolderOf(wide(c.path)), wide(c.folder)) << c.path;
    EXPECT_EQ(win::StemOf(wide(c.path)), wide(c.stem)) << c.path;
  }
}

TEST(Win32ProfilePaths, TrailBytesThatLookLikeBackslashesDoNotSplit) {
  if (GetACP() != 932) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  // 表示 and ソフト in code page 932; 表 and ソ end in the byte of "\".
  const std::string show = "\x95\x5C\x8E\xA6";
  const std::string soft = "\x83\x5C\x83\x74\x83\x67";
  EXPECT_EQ(AnsiFolderOf("C:\\" + show + "\\" + soft + ".exe"), "C:\\" + show);
  EXPECT_EQ(AnsiStemOf("C:\\" + show + "\\" + soft + ".exe"), soft);
  EXPECT_EQ(AnsiFolderOf("C:\\" + soft + "\\" + show), "C:\\" + soft);
  EXPECT_EQ(AnsiStemOf("C:\\" + soft + "\\" + show), show);
  // A lead byte at the very end has no partner to hide.
  EXPECT_EQ(AnsiFolderOf("C:\\a\\b\x95"), "C:\\a");
}

class Win32ProfileFiles : public ::testing::Test {
 protected:
  void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    ASSERT_FALSE(out.fail()) << path;
  }

  ocural_test::WinScratch scratch_;
  Win32Profile profile_;
};

TEST_F(Win32ProfileFiles, ReadFillsAsMuchOfTheBufferAsItHas) {
  const std::string path = scratch_.Join("a.ini");
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

TEST_F(Win32ProfileFiles, EmptyFileNameIsNeverTheWindowsFolder) {
  char buffer[16] = "X";
  EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, ""), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", ""));
  EXPECT_FALSE(profile_.PathExists(""));
}

TEST_F(Win32ProfileFiles, WriteToAFolderFails) {
  const std::string folder = scratch_.Join("folder.ini");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", folder));
  EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  char buffer[16] = "X";
  EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, folder), 0u);
}

TEST_F(Win32ProfileFiles, WriteInAReadOnlyFolderReportsWhatHappened) {
  // Windows ignores the read-only flag of a folder when files are made in it;
  // a file system may not. Either way the result must tell the truth.
  const std::string folder = scratch_.Join("locked");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string path = folder + "\\x.ini";
  const bool written = profile_.WriteString("S", "k", "v", path);
  EXPECT_EQ(written, profile_.PathExists(path));
  if (written) {
    char buffer[16] = {};
    EXPECT_EQ(profile_.GetString("S", "k", buffer, sizeof buffer, path), 1u);
    EXPECT_STREQ(buffer, "v");
  }
}

}  // namespace
}  // namespace ocural
