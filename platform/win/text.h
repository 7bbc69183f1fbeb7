// Text in the system code page: what the INI files hold.
#pragma once

#include <windows.h>

#include <string>

namespace ocural::win {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
// Whether the text comes back unchanged from the system code page: every
// character is in it, none replaced by a default or a look-alike.
bool SurvivesAnsi(const std::wstring& text);

}  // namespace ocural::win
