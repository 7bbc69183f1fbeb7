#include "platform/core/vbtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <system_error>

namespace ocural {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The pieces of a number as written, before any conversion.
struct NumberText {
  bool negative = false;
  std::string_view intDigits;
  std::string_view fracDigits;
  bool expNegative = false;
  std::string_view expDigits;
};

bool Scan(const std::string& text, char decimalSeparator, NumberText& out) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string_view s(text.data() + begin, end - begin);

  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    out.negative = s[i] == '-';
    ++i;
  }
  std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  out.intDigits = s.substr(start, i - start);
  if (i < s.size() && s[i] == decimalSeparator) {
    ++i;
    start = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    out.fracDigits = s.substr(start, i - start);
  }
  if (out.intDigits.empty() && out.fracDigits.empty()) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      out.expNegative = s[i] == '-';
      ++i;
    }
    start = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    out.expDigits = s.substr(start, i - start);
    if (out.expDigits.empty()) return false;
  }
  return i == s.size();
}

}  // namespace

bool IsNumeric(const std::string& text, char decimalSeparator) {
  NumberText parts;
  return Scan(text, decimalSeparator, parts);
}

std::optional<double> ParseNumber(const std::string& text, char decimalSeparator) {
  NumberText parts;
  if (!Scan(text, decimalSeparator, parts)) return std::nullopt;

  // Significant digits and the power of ten of the last one.
  std::string digits;
  digits.reserve(parts.intDigits.size() + parts.fracDigits.size());
  digits.append(parts.intDigits);
  digits.append(parts.fracDigits);
  long long scale = -static_cast<long long>(parts.fracDigits.size());
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0.0;
  digits.erase(0, first);
  const std::size_t last = digits.find_last_not_of('0');
  scale += static_cast<long long>(digits.size() - 1 - last);
  digits.erase(last + 1);

  // The digits move the power of ten by at most their count, so an exponent
  // past that count (plus the double range) is off the range whatever the
  // digits are; it saturates there instead of overflowing.
  const long long saturated = static_cast<long long>(text.size()) + 1000;
  long long exponent = 0;
  for (char c : parts.expDigits) {
    exponent = exponent * 10 + (c - '0');
    if (exponent > saturated) {
      exponent = saturated;
      break;
    }
  }
  if (parts.expNegative) exponent = -exponent;
  const long long power = exponent + scale;
  const long long magnitude = power + static_cast<long long>(digits.size());  // value < 10^magnitude

  const double sign = parts.negative ? -1.0 : 1.0;
  const double infinity = std::numeric_limits<double>::infinity();
  if (magnitude > 400) return sign * infinity;
  if (magnitude < -400) return 0.0;

  std::string canonical = digits;
  canonical += 'e';
  canonical += std::to_string(power);
  double value = 0.0;
  const auto result =
      std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    return magnitude > 0 ? sign * infinity : 0.0;
  }
  if (result.ec != std::errc()) return std::nullopt;
  return sign * value;
}

std::optional<double> ParseFileNumber(const std::string& text, char localeSeparator) {
  if (const std::optional<double> value = ParseNumber(text, '.')) return value;
  if (localeSeparator == '.') return std::nullopt;
  return ParseNumber(text, localeSeparator);
}

std::optional<std::string> NarrowAscii(const std::wstring& text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (wchar_t c : text) {
    if (static_cast<unsigned long>(c) > 0x7F) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  return ascii;
}

std::optional<double> ParseFileNumber(const std::wstring& text, char localeSeparator) {
  const std::optional<std::string> ascii = NarrowAscii(text);
  if (!ascii) return std::nullopt;
  return ParseFileNumber(*ascii, localeSeparator);
}

std::string FormatSingle(double value) {
  if (std::isnan(value)) return "NaN";
  const double maxFloat = static_cast<double>(std::numeric_limits<float>::max());
  if (std::fabs(value) > maxFloat) return value < 0 ? "-Inf" : "Inf";
  const float single = static_cast<float>(value);
  if (single == 0.0f) return "0";
  const double magnitude = std::fabs(static_cast<double>(single));

  // Fewest significant digits (up to 7) that read back as the same float.
  char buffer[40];
  std::string scientific;
  for (int precision = 0; precision < 7; ++precision) {
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::scientific, precision);
    scientific.assign(buffer, written.ptr);
    float back = 0.0f;
    const auto read = std::from_chars(buffer, written.ptr, back);
    if (read.ec == std::errc() && back == std::fabs(single)) break;
  }

  // "d.ddddde+XX" -> digits without trailing zeros and the power of ten of the
  // first digit.
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (std::size_t i = 0; i < e; ++i) {
    if (scientific[i] != '.') digits += scientific[i];
  }
  digits.erase(digits.find_last_not_of('0') + 1);
  const int power = std::atoi(scientific.c_str() + e + 1);
  const int count = static_cast<int>(digits.size());

  std::string out = single < 0 ? "-" : "";
  if (power >= 15 || power < -4) {
    out += digits[0];
    if (count > 1) {
      out += '.';
      out.append(digits, 1, std::string::npos);
    }
    out += power < 0 ? "E-" : "E+";
    const int absPower = power < 0 ? -power : power;
    if (absPower < 10) out += '0';
    out += std::to_string(absPower);
  } else if (power < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-power - 1), '0');
    out += digits;
  } else if (power + 1 >= count) {
    out += digits;
    out.append(static_cast<std::size_t>(power + 1 - count), '0');
  } else {
    out.append(digits, 0, static_cast<std::size_t>(power + 1));
    out += '.';
    out.append(digits, static_cast<std::size_t>(power + 1), std::string::npos);
  }
  return out;
}

std::string FormatInt(long long value) { return std::to_string(value); }

}  // namespace ocural
