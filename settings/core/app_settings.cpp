#include "settings/core/app_settings.h"

#include <optional>

#include "platform/core/vbmath.h"
#include "platform/core/vbtext.h"

namespace ocural {

const wchar_t kSettingsSection[] = L"OcuralSetting";

namespace {

const wchar_t kAlwaysTop[] = L"AlwaysTop";
const wchar_t kColorPicker[] = L"ColorPicker";
const wchar_t kNoLoadSkin[] = L"NoLoadSkin";
const wchar_t kShowTrayIcon[] = L"ShowTrayIcon";
const wchar_t kColorPickMode[] = L"ColorPickMode";
const wchar_t kLastSkin[] = L"LastSkin";
const wchar_t kLastX[] = L"LastX";
const wchar_t kLastY[] = L"LastY";
const wchar_t kLastMagnification[] = L"LastMagnification";

// The value rounded half to even, when the text is a number, with "." or the
// locale's separator.
std::optional<double> RoundedNumber(const std::wstring& text, char decimalSeparator) {
  const std::optional<double> value = ParseFileNumber(text, decimalSeparator);
  if (!value) return std::nullopt;
  return RoundHalfEven(*value);
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Flag(bool value) { return value ? L"1" : L"0"; }

}  // namespace

bool ParseAlwaysTop(const std::wstring& text) { return text != L"0"; }
bool ParseColorPicker(const std::wstring& text) { return text == L"1"; }
bool ParseNoLoadSkin(const std::wstring& text) { return text == L"1"; }
bool ParseShowTrayIcon(const std::wstring& text) { return text != L"0"; }

int16_t ParseColorPickMode(const std::wstring& text, char decimalSeparator) {
  const std::optional<double> value = RoundedNumber(text, decimalSeparator);
  if (!value || *value < 0.0 || *value > 3.0) return 0;
  return static_cast<int16_t>(*value);
}

int32_t ParseLastPosition(const std::wstring& text, char decimalSeparator) {
  const std::optional<double> value = RoundedNumber(text, decimalSeparator);
  if (!value || *value < -2147483648.0 || *value > 2147483647.0) return -1;
  return static_cast<int32_t>(*value);
}

int16_t ParseLastMagnification(const std::wstring& text, char decimalSeparator) {
  const std::optional<double> value = RoundedNumber(text, decimalSeparator);
  if (!value || *value < 1.0 || *value > 32767.0) return 2;
  return static_cast<int16_t>(*value);
}

void LoadSettings(INIAccess& ini, AppSettingsRecord& settings, char decimalSeparator) {
  ini.SetApplicationINI();
  ini.Section = kSettingsSection;
  const std::wstring none;
  settings.AlwaysTop = ParseAlwaysTop(ini.GetINIData(kAlwaysTop, none));
  settings.ColorPicker = ParseColorPicker(ini.GetINIData(kColorPicker, none));
  settings.NoLoadSkin = ParseNoLoadSkin(ini.GetINIData(kNoLoadSkin, none));
  settings.ShowTrayIcon = ParseShowTrayIcon(ini.GetINIData(kShowTrayIcon, none));
  settings.ColorPickMode = ParseColorPickMode(ini.GetINIData(kColorPickMode, none), decimalSeparator);
  settings.LastSkin = ini.GetINIData(kLastSkin, none);
  settings.LastX = ParseLastPosition(ini.GetINIData(kLastX, none), decimalSeparator);
  settings.LastY = ParseLastPosition(ini.GetINIData(kLastY, none), decimalSeparator);
  settings.LastMagnification =
      ParseLastMagnification(ini.GetINIData(kLastMagnification, none), decimalSeparator);
}

void SaveSettings(INIAccess& ini, const AppSettingsRecord& settings,
                  const std::wstring& currentSkin, double leftTwips, double topTwips,
                  int16_t zoomX) {
  ini.SetApplicationINI();
  ini.Section = kSettingsSection;
  const std::wstring none;
  ini.SetINIData(kAlwaysTop, Flag(settings.AlwaysTop), none);
  ini.SetINIData(kColorPicker, Flag(settings.ColorPicker), none);
  ini.SetINIData(kNoLoadSkin, Flag(settings.NoLoadSkin), none);
  ini.SetINIData(kShowTrayIcon, Flag(settings.ShowTrayIcon), none);
  ini.SetINIData(kColorPickMode, Widen(FormatInt(settings.ColorPickMode)), none);
  ini.SetINIData(kLastSkin, currentSkin, none);
  ini.SetINIData(kLastX, Widen(FormatSingle(leftTwips)), none);
  ini.SetINIData(kLastY, Widen(FormatSingle(topTwips)), none);
  ini.SetINIData(kLastMagnification, Widen(FormatInt(zoomX)), none);
}

}  // namespace ocural
