#include "controller/core/version_text.h"

namespace ocural {

std::wstring PaddedDecimal(long long value, int digits) {
  // Work on the magnitude as unsigned so the most negative value needs no
  // special case.
  unsigned long long magnitude =
      value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::wstring text;
  do {
    text.insert(text.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (digits > 0 && text.size() < static_cast<size_t>(digits)) {
    text.insert(0, static_cast<size_t>(digits) - text.size(), L'0');
  }
  if (value < 0) text.insert(text.begin(), L'-');
  return text;
}

std::wstring VersionText(int major, int minor, int revision) {
  return L"Version " + PaddedDecimal(major, 1) + L"." + PaddedDecimal(minor, 2) + L"." +
         PaddedDecimal(revision, 4);
}

}  // namespace ocural
