#include "controller/core/version_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace ocural {
namespace {

TEST(VersionTextTest, MinorHasTwoDigitsAndRevisionFour) {
  EXPECT_EQ(VersionText(0, 1, 34), L"Version 0.01.0034");
  EXPECT_EQ(VersionText(2, 12, 5), L"Version 2.12.0005");
  EXPECT_EQ(VersionText(0, 0, 0), L"Version 0.00.0000");
  // Wider numbers are written whole, never cut to the minimum width.
  EXPECT_EQ(VersionText(10, 123, 65535), L"Version 10.123.65535");
  EXPECT_EQ(VersionText(1, 9, 1000), L"Version 1.09.1000");
}

TEST(VersionTextTest, PaddedDecimalPadsOnlyUpToTheMinimumAndKeepsTheSignInFront) {
  EXPECT_EQ(PaddedDecimal(0, 2), L"00");
  EXPECT_EQ(PaddedDecimal(7, 0), L"7");
  EXPECT_EQ(PaddedDecimal(99, 2), L"99");
  EXPECT_EQ(PaddedDecimal(100, 2), L"100");
  EXPECT_EQ(PaddedDecimal(-7, 2), L"-07");
  EXPECT_EQ(PaddedDecimal(-123, 2), L"-123");
  EXPECT_EQ(PaddedDecimal(LLONG_MIN, 1), L"-9223372036854775808");
  EXPECT_EQ(PaddedDecimal(LLONG_MAX, 25), L"0000009223372036854775807");
}

}  // namespace
}  // namespace ocural
