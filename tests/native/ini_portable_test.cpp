// PortableProfile on real files: exact bytes written and the reading rules
// beyond what the shared INI contract checks.
#include "tests/common/portable_profile.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/contract/scratch_dir.h"

namespace ocural {
namespace {

class PortableProfileTest : public ::testing::Test {
 protected:
  PortableProfileTest() : profile_(scratch_.Path(), "Ocural"), path_(scratch_.Join("a.ini")) {}

  void Put(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string Contents() {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The value and the count GetString reports, with a buffer of `size` bytes.
  std::pair<std::string, std::size_t> Get(const std::string& section, const std::string& key,
                                           std::size_t size = 256) {
    std::string buffer(size + 1, '#');
    const std::size_t n = profile_.GetString(section, key, &buffer[0], size, Utf8ToWide(path_));
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    return {std::string(buffer.c_str()), n};
  }
  bool Write(const std::string& section, const std::string& key, const std::string& value) {
    return profile_.WriteString(section, key, value, Utf8ToWide(path_));
  }

  ocural_test::ScratchDir scratch_;
  PortableProfile profile_;
  std::string path_;
};

using Result = std::pair<std::string, std::size_t>;

TEST_F(PortableProfileTest, NewFileHasExactlySectionAndKeyInCrLf) {
  ASSERT_TRUE(Write("Sec", "Key", "v"));
  EXPECT_EQ(Contents(), "[Sec]\r\nKey=v\r\n");
  ASSERT_TRUE(Write("Sec", "Next", ""));
  ASSERT_TRUE(Write("Two", "k", "a b"));
  EXPECT_EQ(Contents(), "[Sec]\r\nKey=v\r\nNext=\r\n[Two]\r\nk=a b\r\n");
}

TEST_F(PortableProfileTest, ReplacingTouchesOnlyThatLine) {
  const std::string before =
      "; comment = not a key\r\n"
      "\r\n"
      "[S]\n"
      "  Alpha =  old value  \r\n"
      "beta=2\n"
      "\r\n"
      "[T]\r\n"
      "alpha=other\r\n";
  Put(before);
  ASSERT_TRUE(Write("s", "ALPHA", "new"));
  std::string expected = before;
  expected.replace(expected.find("  Alpha =  old value  "), 22, "Alpha=new");
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(Get("T", "alpha"), (Result{"other", 5}));
}

TEST_F(PortableProfileTest, NewKeyGoesBeforeBlankLinesThatEndTheSection) {
  Put("[S]\r\na=1\r\n\r\n\r\n[T]\r\nb=2\r\n");
  ASSERT_TRUE(Write("S", "n", "5"));
  EXPECT_EQ(Contents(), "[S]\r\na=1\r\nn=5\r\n\r\n\r\n[T]\r\nb=2\r\n");

  Put("[Empty]\r\n[T]\r\n");
  ASSERT_TRUE(Write("Empty", "k", "v"));
  EXPECT_EQ(Contents(), "[Empty]\r\nk=v\r\n[T]\r\n");
}

TEST_F(PortableProfileTest, LastLineWithoutBreakGetsOne) {
  Put("[S]\r\na=1");
  ASSERT_TRUE(Write("S", "n", "5"));
  EXPECT_EQ(Contents(), "[S]\r\na=1\r\nn=5\r\n");

  Put("[S]\na=1");
  ASSERT_TRUE(Write("New", "k", "v"));
  EXPECT_EQ(Contents(), "[S]\na=1\r\n[New]\r\nk=v\r\n");

  Put("");
  ASSERT_TRUE(Write("S", "k", "v"));
  EXPECT_EQ(Contents(), "[S]\r\nk=v\r\n");
}

TEST_F(PortableProfileTest, Utf8ByteOrderMarkIsReadPastAndKept) {
  Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
  EXPECT_EQ(Get("S", "k"), (Result{"v", 1}));
  ASSERT_TRUE(Write("S", "k", "w"));
  ASSERT_TRUE(Write("S", "n", "1"));
  EXPECT_EQ(Contents(), "\xEF\xBB\xBF[S]\r\nk=w\r\nn=1\r\n");

  Put("\xEF\xBB\xBF");
  ASSERT_TRUE(Write("S", "k", "v"));
  EXPECT_EQ(Contents(), "\xEF\xBB\xBF[S]\r\nk=v\r\n");
}

TEST_F(PortableProfileTest, BufferSizeLimitsWhatIsCopied) {
  Put("[S]\r\nk=abcdef\r\nq=\"abc\"\r\n");
  EXPECT_EQ(Get("S", "k", 7), (Result{"abcdef", 6}));
  EXPECT_EQ(Get("S", "k", 6), (Result{"abcde", 5}));
  EXPECT_EQ(Get("S", "k", 1), (Result{"", 0}));
  EXPECT_EQ(Get("S", "q", 4), (Result{"abc", 3}));
  EXPECT_EQ(profile_.GetString("S", "k", nullptr, 0, Utf8ToWide(path_)), 0u);
}

TEST_F(PortableProfileTest, OddLinesDoNotConfuseTheLookup) {
  Put("k=before any section\r\n"
      "[ Spaced ]\r\n"
      "no equals sign\r\n"
      "Key With Spaces = 1 = 2\r\n"
      "[S]\r\n"
      "k=first\r\n"
      "k=second\r\n"
      "[s]\r\n"
      "k=later section\r\n"
      "[Broken\r\n"
      "b=x\r\n");
  EXPECT_EQ(Get("Spaced", "key with spaces"), (Result{"1 = 2", 5}));
  EXPECT_EQ(Get("Spaced", "no equals sign"), (Result{"", 0}));
  EXPECT_EQ(Get("S", "k"), (Result{"first", 5}));
  EXPECT_EQ(Get("Broken", "b"), (Result{"x", 1}));
  EXPECT_EQ(Get("", "k"), (Result{"", 0}));
}

// Reading looks at each line once. Lines with no "]" or "=" must not make it
// search on to the end of the file: the file below, with a long last line,
// must read about as fast as one of the same shape whose lines do have them.
// (Processor time of the two reads is compared, so the speed of the machine
// does not matter; the search to the end made the ratio about 10.)
TEST_F(PortableProfileTest, ReadTimeGrowsWithTheFileNotItsSquare) {
  auto cpuSecondsToRead = [&](const char* shortLines) {
    std::string bytes = "[S]\nk=v\n";
    for (int i = 0; i < 50000; ++i) bytes += shortLines;
    bytes += std::string(1u << 20, 'x');
    Put(bytes);
    const std::clock_t start = std::clock();
    EXPECT_EQ(Get("S", "k"), (Result{"v", 1}));
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  };
  const double closed = cpuSecondsToRead("[]\nx=\n");
  const double open = cpuSecondsToRead("[x\nxx\n");
  EXPECT_LT(open, 3 * closed + 0.05) << "lines closed on the line: " << closed << " s";
}

TEST_F(PortableProfileTest, MissingFileReadsNothing) {
  EXPECT_EQ(Get("S", "k"), (Result{"", 0}));
  EXPECT_FALSE(profile_.PathExists(Utf8ToWide(path_)));
}

TEST_F(PortableProfileTest, WriteFailuresReturnFalse) {
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", Utf8ToWide(scratch_.Join("no/such/folder.ini"))));
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", Utf8ToWide(scratch_.Path())));  // a folder
  EXPECT_FALSE(profile_.WriteString("S", "k", "v", L""));
}

TEST_F(PortableProfileTest, PathExistsForFilesAndFolders) {
  Put("");
  EXPECT_TRUE(profile_.PathExists(Utf8ToWide(path_)));
  EXPECT_TRUE(profile_.PathExists(Utf8ToWide(scratch_.Path())));
  EXPECT_FALSE(profile_.PathExists(Utf8ToWide(scratch_.Join("nothing"))));
  EXPECT_FALSE(profile_.PathExists(Utf8ToWide("")));
}

TEST(Utf8Conversion, RoundTripsAllPlanes) {
  const std::wstring wide = L"a\u00E9\u62E1\u5927\U0001F600z";
  const std::string utf8 = "a\xC3\xA9\xE6\x8B\xA1\xE5\xA4\xA7\xF0\x9F\x98\x80z";
  EXPECT_EQ(WideToUtf8(wide), utf8);
  EXPECT_EQ(Utf8ToWide(utf8), wide);
  EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(Utf8Conversion, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");          // overlong "/"
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToWide("\xE6\x8B"), L"\uFFFD\uFFFD");            // cut short
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  std::wstring lone(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ(WideToUtf8(lone + L"x"), "\xEF\xBF\xBDx");
}

// Where wchar_t holds whole code points, a unit after a high surrogate is a
// character of its own even when its low 16 bits look like a low surrogate.
TEST(Utf8Conversion, LoneHighSurrogateLeavesTheNextCharacterAlone) {
  if (sizeof(wchar_t) < 4) GTEST_SKIP() << "wchar_t has 16 bits";
  const std::wstring text = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x1DC00)};
  EXPECT_EQ(WideToUtf8(text), "\xEF\xBF\xBD\xF0\x9D\xB0\x80");
}

// A surrogate pair is one character in 16-bit text and two malformed units
// where wchar_t holds whole code points.
TEST(Utf8Conversion, SurrogatePairJoinsOnlyInSixteenBitText) {
  const std::wstring pair = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDC00)};
  EXPECT_EQ(WideToUtf8(pair), sizeof(wchar_t) == 2 ? "\xF0\x90\x80\x80" : "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ocural
