// The contents of a skin file (.vsk): an INI section naming the body and lens
// pictures, where the lens sits on the body, and the two zoom areas. Values
// are read through a callback so the same code serves the program and tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ocural {

// The section of a skin file that holds all its keys.
extern const wchar_t kSkinSection[];

// A whole number from text the skin author wrote: numeric text (blanks
// around it allowed, decimal fraction and exponent allowed, the fraction after
// "." or after the locale's decimal separator) rounded to the nearest integer
// with halves to even and clamped to the 32-bit range; anything else,
// including non-ASCII text and "", gives 0.
int32_t SkinNumber(const std::wstring& text, char localeSeparator = '.');

// A visibility key: shown when the text is a number other than 0 (the number
// as written, so "0.4" shows), hidden for 0, non-numeric or missing text.
bool SkinVisible(const std::wstring& text, char localeSeparator = '.');

struct SkinRect {
  int32_t x1 = 0;
  int32_t x2 = 0;
  int32_t y1 = 0;
  int32_t y2 = 0;
};

// The width of a button from its left and right edges (or its height from
// its top and bottom), worked out without overflow. A span that is negative or
// does not fit in 32 bits gives -1, which CommandButton::Place takes as "keep
// the button's size".
int32_t SkinSpan(int32_t from, int32_t to);

struct SkinFile {
  std::wstring name;
  std::wstring author;
  std::wstring description;
  std::wstring base;  // body picture, relative to the program's folder
  std::wstring lens;  // lens picture, relative to the program's folder
  int32_t lensOffsetX = 0;
  int32_t lensOffsetY = 0;
  bool inVisible = false;  // zoom-in button shown (else its area is painted on the body)
  SkinRect inRect;
  bool outVisible = false;  // zoom-out button shown
  SkinRect outRect;
};

// Returns the value of one key of the skin section, "" when it is missing.
using SkinKeyReader = std::function<std::wstring(const std::wstring& key)>;

// Reads every key of a skin. Text values are taken as they are; numbers go
// through SkinNumber and visibility keys through SkinVisible, both with the
// locale's decimal separator.
SkinFile ReadSkinFile(const SkinKeyReader& readKey, char localeSeparator = '.');

}  // namespace ocural
