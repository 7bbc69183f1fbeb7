// An empty folder in the Windows temp folder, named through ANSI paths in the
// system code page, removed with everything in it (read-only files and names
// in any script included) when the object goes away.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace ocural_test {

class WinScratch {
 public:
  WinScratch() {
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temp folder");
    std::string base(temp, length);
    if (base.back() != '\\') base += '\\';
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = base + "ocural_ini_" + std::to_string(GetCurrentProcessId()) +
                                    "_" + std::to_string(GetTickCount()) + "_" +
                                    std::to_string(++counter);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) {
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("cannot create a scratch folder");
  }
  ~WinScratch() { RemoveTree(WidePath()); }
  WinScratch(const WinScratch&) = delete;
  WinScratch& operator=(const WinScratch&) = delete;

  const std::string& Path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }
  // The folder as wide text, for names the code page cannot spell.
  std::wstring WidePath() const {
    const int n = MultiByteToWideChar(CP_ACP, 0, path_.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path_.c_str(), -1, &wide[0], n);
    wide.resize(wide.size() - 1);
    return wide;
  }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
  }

  std::string path_;
};

}  // namespace ocural_test
