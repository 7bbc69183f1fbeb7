// Where the program is: the path of the running executable and the pieces
// the program builds from it (its folder, its name). Paths are wide text
// throughout, so that a folder named in any script can be reached.
#pragma once

#include <string>

namespace ocural::win {

// The full path of the running executable; "" when it cannot be had.
std::wstring ModulePath();

// Everything before the last "\" or "/"; a root keeps its backslash
// ("C:\Ocural.exe" gives "C:\"). "" when there is no separator.
std::wstring FolderOf(const std::wstring& path);
// The part after the last separator, without its extension (from the last
// ".", unless the name starts with it).
std::wstring StemOf(const std::wstring& path);

// The folder of the running executable and its name without extension.
std::wstring ProgramFolder();
std::wstring ProgramName();

// The path with one trailing backslash, as PathAddBackslashW makes it on a
// MAX_PATH buffer; "" when it does not fit.
std::wstring WithBackslash(const std::wstring& path);

}  // namespace ocural::win
