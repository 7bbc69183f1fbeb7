// Numbers in hand-edited files and the numbers written back: the parser
// against the C library's strtod, the wide and skin variants against the
// narrow one, and FormatSingle/FormatInt read back through the parser.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/core/vbmath.h"
#include "platform/core/vbtext.h"
#include "skin/core/skin_file.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

// Decimal separators of real locales, and "." itself.
const char kSeparators[] = {'.', ',', '\'', '/'};

int32_t ReferenceNearest(double v) {
  const double r = fuzz::ReferenceRound(v);
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(r);
}

bool SameResult(const std::optional<double>& a, const std::optional<double>& b) {
  return a.has_value() == b.has_value() && (!a || *a == *b);
}

void CheckParse(const std::string& text, char sep) {
  const std::optional<double> got = ParseNumber(text, sep);
  FUZZ_CHECK(IsNumeric(text, sep) == got.has_value());
  FUZZ_CHECK(SameResult(got, fuzz::ReferenceNumber(text, sep)));

  const std::optional<double> file = ParseFileNumber(text, sep);
  const std::optional<double> want = fuzz::ReferenceFileNumber(text, sep);
  FUZZ_CHECK(SameResult(file, want));

  // The same text read through the wide API; bytes above ASCII become
  // characters that look like digits and signs but are not ASCII.
  std::wstring wide;
  bool ascii = true;
  for (unsigned char c : text) {
    if (c < 0x80) {
      wide += static_cast<wchar_t>(c);
    } else {
      ascii = false;
      wide += static_cast<wchar_t>(0xFF10 + (c & 0x0F));  // FULLWIDTH DIGIT ZERO..
    }
  }
  const std::optional<double> wideGot = ParseFileNumber(wide, sep);
  FUZZ_CHECK(SameResult(wideGot, ascii ? want : std::nullopt));
  FUZZ_CHECK(SkinNumber(wide, sep) == (ascii && want ? ReferenceNearest(*want) : 0));
  FUZZ_CHECK(SkinVisible(wide, sep) == (ascii && want && *want != 0.0));
}

int SignificantDigits(const std::string& s) {
  std::string digits;
  for (char c : s) {
    if (c == 'E') break;
    if (c >= '0' && c <= '9') digits += c;
  }
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  const size_t last = digits.find_last_not_of('0');
  return static_cast<int>(last - first + 1);
}

void CheckFormatSingle(double d) {
  const std::string s = FormatSingle(d);
  if (std::isnan(d)) {
    FUZZ_CHECK(s == "NaN");
    return;
  }
  if (std::fabs(d) > static_cast<double>(FLT_MAX)) {
    FUZZ_CHECK(s == (d < 0 ? "-Inf" : "Inf"));
    return;
  }
  const float f = static_cast<float>(d);
  const std::optional<double> back = fuzz::ReferenceNumber(s, '.');
  FUZZ_CHECK(back.has_value());
  const double p = *back;
  FUZZ_CHECK(s.find_first_not_of("0123456789-.E+") == std::string::npos);
  if (f == 0.0f) {
    FUZZ_CHECK(s == "0");
    return;
  }
  FUZZ_CHECK((s[0] == '-') == (f < 0));
  FUZZ_CHECK(SignificantDigits(s) <= 7);
  // Reads back as the float, or (when no text of 7 digits does) is within
  // rounding to 7 significant digits of it. Subnormal floats hold fewer
  // digits, so their shortest text may lie further off and still read back.
  FUZZ_CHECK(static_cast<float>(p) == f ||
             std::fabs(p - f) <= 5.000001e-7 * std::fabs(static_cast<double>(f)));
  // When some 7-digit text reads back as the float, this one does too.
  char seven[64];
  std::snprintf(seven, sizeof seven, "%.7g", static_cast<double>(f));
  if (std::strtof(seven, nullptr) == f) FUZZ_CHECK(static_cast<float>(p) == f);
  // The exponent form only from 1E+15 up and below 1E-04.
  const bool exponent = s.find('E') != std::string::npos;
  FUZZ_CHECK(exponent == (std::fabs(p) >= 1e15 || std::fabs(p) < 1e-4));
  if (exponent) {
    const size_t e = s.find('E');
    FUZZ_CHECK(e + 4 <= s.size() && (s[e + 1] == '+' || s[e + 1] == '-'));
    FUZZ_CHECK(s[e - 1] != '0' && s[e - 1] != '.');
  } else if (s.find('.') != std::string::npos) {
    FUZZ_CHECK(p != std::floor(p) && s.back() != '0');
  } else {
    FUZZ_CHECK(p == std::floor(p));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const char sep = kSeparators[in.ConsumeIntegralInRange<size_t>(0, sizeof kSeparators - 1)];
  const double d = in.ConsumeFloatingPoint<double>();
  const int64_t n = in.ConsumeIntegral<int64_t>();
  const std::string text = in.ConsumeRemainingBytesAsString();

  CheckParse(text, sep);
  CheckFormatSingle(d);
  // The text's own value, when it has one, formatted and read back.
  if (const std::optional<double> v = ParseNumber(text, '.')) CheckFormatSingle(*v);

  // Whole numbers written by FormatInt read back exactly.
  const std::string whole = FormatInt(n);
  FUZZ_CHECK(std::strtoll(whole.c_str(), nullptr, 10) == n);
  const std::optional<double> wholeBack = ParseNumber(whole, sep);
  FUZZ_CHECK(wholeBack && *wholeBack == static_cast<double>(n));
  const int32_t n32 = static_cast<int32_t>(n);
  FUZZ_CHECK(SkinNumber(std::wstring(whole.begin(), whole.end())) == ReferenceNearest(static_cast<double>(n)));
  const std::string whole32 = FormatInt(n32);
  FUZZ_CHECK(SkinNumber(std::wstring(whole32.begin(), whole32.end()), sep) == n32);

  // Rounding of any double.
  if (std::isfinite(d)) {
    FUZZ_CHECK(RoundHalfEven(d) == fuzz::ReferenceRound(d));
  } else {
    FUZZ_CHECK(std::isnan(d) ? std::isnan(RoundHalfEven(d)) : RoundHalfEven(d) == d);
  }
  FUZZ_CHECK(NearestInt32(d) == (std::isnan(d) ? 0 : ReferenceNearest(d)));
  return 0;
}
