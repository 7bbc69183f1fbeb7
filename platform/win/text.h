// Text crossing into the ANSI side of the platform (profile functions, tray
// record) goes through the system code page.
#pragma once

#include <windows.h>

#include <string>

namespace ocural::win {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

}  // namespace ocural::win
