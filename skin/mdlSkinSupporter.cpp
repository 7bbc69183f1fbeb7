#include "skin/mdlSkinSupporter.h"

#include <windows.h>
#include <shlwapi.h>

#include "platform/win/program_path.h"

namespace ocural {

std::wstring AddBackslash(const std::wstring& path) { return win::WithBackslash(path); }

bool FileExists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

}  // namespace ocural
