// Skin support: the skin loaded now and the path helpers of the skin code.
#pragma once

#include <string>

namespace ocural {

// File name of the skin loaded now, as it was passed to LoadSkin (relative to
// the application folder); empty when none is.
extern std::wstring CurrentSkin;

}  // namespace ocural
