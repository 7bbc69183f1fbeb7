#include "platform/win/text.h"

namespace ocural::win {
namespace {

std::string Narrow(UINT codePage, const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring Widen(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

}  // namespace

std::string ToAnsi(const std::wstring& text) { return Narrow(CP_ACP, text); }
std::wstring FromAnsi(const std::string& text) { return Widen(CP_ACP, text); }

bool SurvivesAnsi(const std::wstring& text) {
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  std::string ansi(static_cast<size_t>(n), '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, &ansi[0], n, nullptr, &usedDefault);
  return !usedDefault && FromAnsi(ansi) == text;
}

}  // namespace ocural::win
