// Skin support: the path helpers of the skin code.
#pragma once

#include <string>

namespace ocural {

// The path with one trailing backslash (PathAddBackslashW on a MAX_PATH
// buffer); "" when it would not fit.
std::wstring AddBackslash(const std::wstring& path);
// True when a file or a folder exists at the path.
bool FileExists(const std::wstring& path);

}  // namespace ocural
