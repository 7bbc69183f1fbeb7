#include "settings/core/ini_access.h"

namespace ocural {

void INIAccess::SetAppPathFilename(const std::wstring& strFileName) {
  std::wstring folder = backend_.AppFolder();
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  FileName = folder + strFileName;
}

void INIAccess::SetApplicationINI() {
  SetAppPathFilename(backend_.ExeName() + L".ini");
}

bool INIAccess::SetINIData(const std::wstring& strKey, const std::wstring& strData,
                           const std::wstring& strSection) {
  if (FileName.empty()) return false;
  if (strSection.empty() && Section.empty()) return false;
  if (!strSection.empty()) Section = strSection;
  return backend_.WriteString(backend_.ToAnsi(Section), backend_.ToAnsi(strKey),
                              backend_.ToAnsi(strData), FileName);
}

std::wstring INIAccess::GetINIData(const std::wstring& strKey,
                                   const std::wstring& strSection) {
  if (FileName.empty()) return std::wstring();
  if (strSection.empty() && Section.empty()) return std::wstring();
  if (!PathExists(FileName)) return std::wstring();
  if (!strSection.empty()) Section = strSection;

  char buffer[256] = {};
  const std::size_t length = backend_.GetString(backend_.ToAnsi(Section), backend_.ToAnsi(strKey),
                                                buffer, sizeof buffer, FileName);
  if (length == 0) return std::wstring();
  std::size_t end = 0;
  while (end < sizeof buffer && buffer[end] != '\0') ++end;
  return backend_.FromAnsi(std::string(buffer, end));
}

bool INIAccess::PathExists(const std::wstring& path) {
  return backend_.PathExists(path);
}

}  // namespace ocural
