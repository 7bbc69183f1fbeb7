// INIAccess against a scripted backend: what it asks the backend and how it
// treats the answers.
#include "settings/core/ini_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/common/portable_profile.h"

namespace ocural {
namespace {

class FakeBackend : public ProfileBackend {
 public:
  struct Read {
    std::string section, key;
    std::wstring file;
    std::size_t size;
  };
  struct Write {
    std::string section, key, value;
    std::wstring file;
  };

  bool PathExists(const std::wstring& path) override {
    existsQueries.push_back(path);
    return exists;
  }
  std::size_t GetString(const std::string& section, const std::string& key, char* buffer,
                        std::size_t size, const std::wstring& file) override {
    reads.push_back({section, key, file, size});
    std::memcpy(buffer, answer.data(), answer.size() < size ? answer.size() : size);
    return answerResult;
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::wstring& file) override {
    writes.push_back({section, key, value, file});
    return writeResult;
  }
  std::wstring AppFolder() override { return folder; }
  std::wstring ExeName() override { return exe; }
  std::string ToAnsi(const std::wstring& text) override { return WideToUtf8(text); }
  std::wstring FromAnsi(const std::string& text) override { return Utf8ToWide(text); }

  bool exists = true;
  std::string answer;  // bytes put in the buffer, NULs included
  std::size_t answerResult = 0;
  bool writeResult = true;
  std::wstring folder = L"C:\\Tools";
  std::wstring exe = L"Ocural";
  std::vector<std::wstring> existsQueries;
  std::vector<Read> reads;
  std::vector<Write> writes;
};

TEST(INIAccessPath, JoinsProgramFolderAndName) {
  FakeBackend backend;
  INIAccess ini(backend);
  backend.folder = L"C:\\";
  ini.SetAppPathFilename(L"x.ini");
  EXPECT_EQ(ini.FileName, L"C:\\x.ini");

  backend.folder = L"C:\\Tools";
  ini.SetAppPathFilename(L"x.ini");
  EXPECT_EQ(ini.FileName, L"C:\\Tools\\x.ini");

  ini.SetApplicationINI();
  EXPECT_EQ(ini.FileName, L"C:\\Tools\\Ocural.ini");

  // The path goes through as wide text, never through the code page.
  backend.folder = L"D:\\\u8A2D\u5B9A\\Jos\u00E9\\\u0416";  // "D:\設定\José\Ж"
  backend.exe = L"\u62E1\u5927";                            // "拡大"
  ini.SetApplicationINI();
  const std::wstring file = L"D:\\\u8A2D\u5B9A\\Jos\u00E9\\\u0416\\\u62E1\u5927.ini";
  EXPECT_EQ(ini.FileName, file);
  EXPECT_TRUE(ini.SetINIData(L"k", L"v", L"S"));
  ini.GetINIData(L"k", L"");
  ASSERT_EQ(backend.writes.size(), 1u);
  ASSERT_EQ(backend.reads.size(), 1u);
  EXPECT_EQ(backend.writes[0].file, file);
  EXPECT_EQ(backend.reads[0].file, file);
  EXPECT_EQ(backend.existsQueries, std::vector<std::wstring>{file});
}

TEST(INIAccessRead, AsksForTheFileSectionAndKeyWithA256ByteBuffer) {
  FakeBackend backend;
  backend.answer = std::string("value\0", 6);
  backend.answerResult = 5;
  INIAccess ini(backend);
  ini.FileName = L"C:\\Tools\\Ocural.ini";

  EXPECT_EQ(ini.GetINIData(L"Key", L"Sec"), L"value");
  ASSERT_EQ(backend.reads.size(), 1u);
  EXPECT_EQ(backend.reads[0].section, "Sec");
  EXPECT_EQ(backend.reads[0].key, "Key");
  EXPECT_EQ(backend.reads[0].file, L"C:\\Tools\\Ocural.ini");
  EXPECT_EQ(backend.reads[0].size, 256u);
  EXPECT_EQ(backend.existsQueries, std::vector<std::wstring>{L"C:\\Tools\\Ocural.ini"});
}

TEST(INIAccessRead, TextEndsAtTheFirstNulAndZeroMeansNothing) {
  FakeBackend backend;
  INIAccess ini(backend);
  ini.FileName = L"f.ini";
  ini.Section = L"S";

  backend.answer = std::string("ab\0cd\0", 6);
  backend.answerResult = 5;
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"ab");

  backend.answer = std::string("stale\0", 6);
  backend.answerResult = 0;
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"");
}

TEST(INIAccessRead, GivesUpBeforeTheBackendWhenSomethingIsMissing) {
  FakeBackend backend;
  backend.answer = std::string("v\0", 2);
  backend.answerResult = 1;
  INIAccess ini(backend);

  EXPECT_EQ(ini.GetINIData(L"k", L"S"), L"");  // no file name
  EXPECT_EQ(ini.Section, L"");

  ini.FileName = L"f.ini";
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"");  // no section anywhere
  EXPECT_TRUE(backend.existsQueries.empty());

  backend.exists = false;
  ini.Section = L"Old";
  EXPECT_EQ(ini.GetINIData(L"k", L"New"), L"");
  EXPECT_EQ(ini.Section, L"Old");
  EXPECT_TRUE(backend.reads.empty());

  backend.exists = true;
  EXPECT_EQ(ini.GetINIData(L"k", L"New"), L"v");
  EXPECT_EQ(ini.Section, L"New");
}

TEST(INIAccessWrite, PassesEverythingThroughWithoutCheckingTheFile) {
  FakeBackend backend;
  backend.exists = false;
  INIAccess ini(backend);
  ini.FileName = L"C:\\Tools\\Ocural.ini";

  EXPECT_TRUE(ini.SetINIData(L"Key", L"\u5927", L"Sec"));
  EXPECT_TRUE(ini.SetINIData(L"Other", L"2", L""));
  ASSERT_EQ(backend.writes.size(), 2u);
  EXPECT_EQ(backend.writes[0].section, "Sec");
  EXPECT_EQ(backend.writes[0].key, "Key");
  EXPECT_EQ(backend.writes[0].value, "\xE5\xA4\xA7");
  EXPECT_EQ(backend.writes[0].file, L"C:\\Tools\\Ocural.ini");
  EXPECT_EQ(backend.writes[1].section, "Sec");
  EXPECT_TRUE(backend.existsQueries.empty());

  // A failed write still chose the section.
  backend.writeResult = false;
  EXPECT_FALSE(ini.SetINIData(L"k", L"v", L"T"));
  EXPECT_EQ(ini.Section, L"T");
}

TEST(INIAccessWrite, NeedsAFileNameAndASection) {
  FakeBackend backend;
  INIAccess ini(backend);
  EXPECT_FALSE(ini.SetINIData(L"k", L"v", L"S"));
  EXPECT_EQ(ini.Section, L"");
  ini.FileName = L"f.ini";
  EXPECT_FALSE(ini.SetINIData(L"k", L"v", L""));
  EXPECT_TRUE(backend.writes.empty());
}

}  // namespace
}  // namespace ocural
