// Text in the system code page: what the INI files hold.
#pragma once

#include <windows.h>

#include <string>

namespace ocural::win {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

}  // namespace ocural::win
