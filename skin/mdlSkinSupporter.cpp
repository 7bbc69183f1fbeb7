#include "skin/mdlSkinSupporter.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "platform/win/text.h"

namespace ocural {

std::wstring AddBackslash(const std::wstring& path) {
  const std::string ansi = win::ToAnsi(path);
  char buf[MAX_PATH] = {};
  if (ansi.size() >= MAX_PATH) return L"";
  std::memcpy(buf, ansi.data(), ansi.size());
  if (PathAddBackslashA(buf) == nullptr) return L"";
  return win::FromAnsi(buf);
}

bool FileExists(const std::wstring& path) { return PathFileExistsA(win::ToAnsi(path).c_str()) != FALSE; }

}  // namespace ocural
