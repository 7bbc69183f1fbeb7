// The version line of the version dialog.
#pragma once

#include <string>

namespace ocural {

// The number in decimal with at least `digits` digits, zero-padded on the
// left, the way the formats "00" and "0000" write it: (5, 4) gives "0005",
// (12345, 4) gives "12345", (-7, 2) gives "-07".
std::wstring PaddedDecimal(long long value, int digits);

// "Version " + major + "." + minor (at least 2 digits) + "." + revision (at
// least 4 digits): (0, 1, 34) gives "Version 0.01.0034".
std::wstring VersionText(int major, int minor, int revision);

}  // namespace ocural
