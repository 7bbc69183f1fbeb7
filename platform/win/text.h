// Text crossing into the ANSI side of the platform (profile functions, tray
// record) goes through the system code page.
#pragma once

#include <windows.h>

#include <string>

namespace ocural::win {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);

}  // namespace ocural::win
