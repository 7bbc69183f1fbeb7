// An empty folder in the Windows temp folder, named and used through ANSI
// paths in the system code page (as the profile functions see them), removed
// with everything in it, read-only files included, when the object goes away.
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
  ~WinScratch() { RemoveTree(path_); }
  WinScratch(const WinScratch&) = delete;
  WinScratch& operator=(const WinScratch&) = delete;

  const std::string& Path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

}  // namespace ocural_test
