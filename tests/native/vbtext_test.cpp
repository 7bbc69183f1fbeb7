#include "platform/core/vbtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace ocural {
namespace {

TEST(IsNumeric, AcceptsPlainDecimalForms) {
  for (const char* text : {"0", "42", "-7", "+3", "1.5", ".5", "5.", "-.5", "+5.", "007",
                           "1e3", "1E3", "1.5e3", "2e+10", "2e-10", ".5E-1", "5.e2", " 12 ",
                           "\t-3\t", "  +4.25e1  "}) {
    EXPECT_TRUE(IsNumeric(text)) << '"' << text << '"';
  }
}

TEST(IsNumeric, RejectsEverythingElse) {
  for (const char* text : {"", " ", "\t \t", ".", "-", "+", "+-1", "--1", "1-", "1e", "1e+",
                           "e5", ".e5", "1.2.3", "1 2", "- 1", "1e 5", "&H10", "&h10",
                           "0x10", "1,000", "$5", "5$", "inf", "-inf", "nan", "Infinity",
                           "1d5", "yes", "true", "12abc", "1\n", "\n1", "\xEF\xBC\x91"}) {
    EXPECT_FALSE(IsNumeric(text)) << '"' << text << '"';
  }
}

TEST(IsNumeric, UsesTheGivenDecimalSeparator) {
  EXPECT_TRUE(IsNumeric("1,5", ','));
  EXPECT_TRUE(IsNumeric(",5e1", ','));
  EXPECT_FALSE(IsNumeric("1.5", ','));
  EXPECT_FALSE(IsNumeric("1,5"));
  EXPECT_EQ(ParseNumber("-2,25", ','), -2.25);
  EXPECT_EQ(ParseNumber("2.25", ','), std::nullopt);
}

TEST(NarrowAscii, KeepsAsciiAndRefusesEverythingElse) {
  struct Case {
    std::wstring text;
    std::optional<std::string> narrow;
  };
  const Case cases[] = {
      {L"", std::string()},
      {L"1.5e3", std::string("1.5e3")},
      {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},  // an embedded NUL is ASCII too
      {L"\x7F", std::string("\x7F")},
      {L"1\x80", std::nullopt},    // the first non-ASCII code
      {L"\xFF", std::nullopt},     // Latin-1, which a plain cast would keep
      {L"\x0131", std::nullopt},   // dotless i: its low byte is "1"
      {L"\xFF10", std::nullopt},   // a full-width digit zero
  };
  for (const Case& c : cases) EXPECT_EQ(NarrowAscii(c.text), c.narrow) << c.text.size();
  // Only plain digits read as a number through the wide API.
  EXPECT_EQ(ParseFileNumber(std::wstring(L"\xFF11"), '.'), std::nullopt);
  EXPECT_EQ(ParseFileNumber(std::wstring(L"12"), '.'), 12.0);
}

TEST(ParseNumber, GivesTheValueOfNumericText) {
  EXPECT_EQ(ParseNumber("42"), 42.0);
  EXPECT_EQ(ParseNumber("  -120  "), -120.0);
  EXPECT_EQ(ParseNumber("1.5e3"), 1500.0);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  EXPECT_EQ(ParseNumber("5."), 5.0);
  EXPECT_EQ(ParseNumber("2.5"), 2.5);
  EXPECT_EQ(ParseNumber("0.1"), 0.1);
  EXPECT_EQ(ParseNumber("99999999999"), 99999999999.0);
  EXPECT_EQ(ParseNumber("1e20"), 1e20);
  EXPECT_EQ(ParseNumber("000123.4500e-2"), 1.2345);
  EXPECT_EQ(ParseNumber("-0"), 0.0);
  EXPECT_EQ(ParseNumber("0.000e999999999999999999"), 0.0);
  EXPECT_EQ(ParseNumber("&H10"), std::nullopt);
  EXPECT_EQ(ParseNumber(""), std::nullopt);
}

TEST(ParseNumber, IsCorrectlyRoundedForLongDigitStrings) {
  // 2^53 + 1 lies halfway between two doubles and rounds to the even one.
  EXPECT_EQ(ParseNumber("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(ParseNumber("9007199254740993.0000000000000000001"), 9007199254740994.0);
  EXPECT_EQ(ParseNumber("0." + std::string(300, '0') + "1e300"), 0.1);
}

TEST(ParseNumber, HugeAndTinyExponentsSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ParseNumber("1e400"), inf);
  EXPECT_EQ(ParseNumber("-1e400"), -inf);
  EXPECT_EQ(ParseNumber("1e99999999999999999999999"), inf);
  EXPECT_EQ(ParseNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseNumber("1e-400"), 0.0);
  EXPECT_EQ(ParseNumber("-1e-99999999999999999999999"), 0.0);
  EXPECT_EQ(ParseNumber("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(ParseNumber(std::string(500, '9')), inf);
  EXPECT_EQ(ParseNumber("0." + std::string(500, '0') + "1"), 0.0);
}

// A written exponent beyond any double is still offset by the digits: a
// million zeros after the point and e1000001 make 1.
TEST(ParseNumber, LongDigitStringsOffsetHugeExponents) {
  const std::string zeros(1000000, '0');
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"0." + zeros + "1e1000001", 1.0},
      {"0." + zeros + "15e1000001", 1.5},
      {"0." + zeros + "1e1000400", inf},
      {"1" + zeros + "e-1000001", 0.1},
      {"-1" + zeros + "e-1000000", -1.0},
      {"1" + zeros + "e-1000400", 0.0},
      {"0." + zeros + "1e99999999999999999999", inf},
      {"1" + zeros + "e-99999999999999999999", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.value)
        << c.text.substr(0, 8) << "..." << c.text.substr(c.text.size() - 12);
  }
}

TEST(FormatSingle, WholeNumbersHaveNoDecimalPoint) {
  EXPECT_EQ(FormatSingle(0.0), "0");
  EXPECT_EQ(FormatSingle(-0.0), "0");
  EXPECT_EQ(FormatSingle(1440.0), "1440");
  EXPECT_EQ(FormatSingle(-120.0), "-120");
  EXPECT_EQ(FormatSingle(28800.0), "28800");
  EXPECT_EQ(FormatSingle(16777216.0), "16777220");
  EXPECT_EQ(FormatSingle(1e10), "10000000000");
  EXPECT_EQ(FormatSingle(1e14), "100000000000000");
}

TEST(FormatSingle, FractionsUseTheShortestTextUpToSevenDigits) {
  EXPECT_EQ(FormatSingle(1234.5), "1234.5");
  EXPECT_EQ(FormatSingle(0.1), "0.1");
  EXPECT_EQ(FormatSingle(-0.5), "-0.5");
  EXPECT_EQ(FormatSingle(1.0 / 3.0), "0.3333333");
  EXPECT_EQ(FormatSingle(2.0 / 3.0), "0.6666667");
  EXPECT_EQ(FormatSingle(123456.7), "123456.7");
  // Needs 8 digits to read back exactly; 7 is the most a single shows.
  EXPECT_EQ(FormatSingle(1.00000012), "1");
  EXPECT_EQ(FormatSingle(1234567.89), "1234568");
  EXPECT_EQ(FormatSingle(0.0001), "0.0001");
  EXPECT_EQ(FormatSingle(0.000123456789), "0.0001234568");
}

TEST(FormatSingle, ExponentFormOnlyForVeryLargeOrSmallValues) {
  EXPECT_EQ(FormatSingle(1e15), "1E+15");
  EXPECT_EQ(FormatSingle(-2.5e20), "-2.5E+20");
  EXPECT_EQ(FormatSingle(1.5e-7), "1.5E-07");
  EXPECT_EQ(FormatSingle(0.00005), "5E-05");
  EXPECT_EQ(FormatSingle(3.4028234663852886e38), "3.402823E+38");
  EXPECT_EQ(FormatSingle(1e-45), "1E-45");
  EXPECT_EQ(FormatSingle(1e-50), "0");
}

TEST(FormatSingle, OutOfRangeValuesAreNotNumbers) {
  EXPECT_EQ(FormatSingle(1e39), "Inf");
  EXPECT_EQ(FormatSingle(-std::numeric_limits<double>::infinity()), "-Inf");
  EXPECT_EQ(FormatSingle(std::nan("")), "NaN");
  EXPECT_FALSE(IsNumeric(FormatSingle(1e39)));
}

TEST(FormatSingle, SevenDigitValuesReadBackAsTheSameSingle) {
  for (double value : {1234.5, -120.0, 0.1, 987654.321, 3.0e38,
                       -7.25e-12, 1e15, 65535.99, 0.3}) {
    const std::string text = FormatSingle(value);
    const std::optional<double> back = ParseNumber(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(static_cast<float>(*back), static_cast<float>(value)) << text;
  }
}

TEST(FormatInt, WritesPlainDecimal) {
  EXPECT_EQ(FormatInt(0), "0");
  EXPECT_EQ(FormatInt(-42), "-42");
  EXPECT_EQ(FormatInt(32767), "32767");
  EXPECT_EQ(FormatInt(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace ocural
