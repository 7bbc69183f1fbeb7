// Reading and writing numbers in text the user may have edited by hand: the
// numeric test used before converting, a converter that does not depend on
// the C locale, and the number formats written back to settings files.
#pragma once

#include <optional>
#include <string>

namespace ocural {

// True when the text, with blanks (spaces, tabs) around it ignored, is a plain
// decimal number: optional sign, digits with an optional fraction after the
// decimal separator (".5" and "5." both count) and an optional exponent
// ("e" or "E", optional sign, digits). Hexadecimal, thousands separators,
// currency signs, "inf" and "nan" are not numbers here.
bool IsNumeric(const std::string& text, char decimalSeparator = '.');

// The value of the text when IsNumeric accepts it, otherwise nothing.
// Correctly rounded; magnitudes beyond the double range give +/-infinity and
// ones too small for it give 0.
std::optional<double> ParseNumber(const std::string& text, char decimalSeparator = '.');

// The text in single bytes when every character of it is ASCII; otherwise
// nothing, since no other character can be part of a number or a keyword.
std::optional<std::string> NarrowAscii(const std::wstring& text);

// The value of a number read back from a file. "." is always a decimal
// separator, so files written with it read in every locale, and so is the
// locale's own separator, for numbers typed the way the user writes them; one
// number uses one or the other. Otherwise as ParseNumber.
std::optional<double> ParseFileNumber(const std::string& text, char localeSeparator);
// The same for text read through the wide API; a character outside ASCII
// cannot be part of a number.
std::optional<double> ParseFileNumber(const std::wstring& text, char localeSeparator);

// The value as a single-precision number, written with at most 7 significant
// digits: the shortest such text that reads back as the same float. Whole
// numbers have no decimal point ("1440", "-120", "0"), the separator is ".",
// and the exponent form ("1E+15", "1.5E-07") is used only from 1E+15 up and
// below 1E-04 in magnitude. Values beyond the float range give "Inf"/"-Inf",
// NaN gives "NaN".
std::string FormatSingle(double value);

// The whole number in plain decimal ("-42").
std::string FormatInt(long long value);

}  // namespace ocural
