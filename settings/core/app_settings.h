// The program's own settings: what is kept in the [OcuralSetting] section of
// the INI file next to the executable, and how hand-edited values are read.
#pragma once

#include <cstdint>
#include <string>

#include "settings/core/ini_access.h"

namespace ocural {

struct AppSettingsRecord {
  bool ShowTrayIcon = false, AlwaysTop = false, NoLoadSkin = false, ColorPicker = false;
  int16_t ColorPickMode = 0;
  int16_t LastMagnification = 0;
  std::wstring LastSkin;
  int32_t LastX = 0, LastY = 0;
};

extern const wchar_t kSettingsSection[];  // "OcuralSetting"

// How each value is read; `text` is what the file holds, "" when the key is
// missing. Numbers are written with "." and read with "." or the locale's
// decimal separator.
bool ParseAlwaysTop(const std::wstring& text);     // true unless "0"
bool ParseColorPicker(const std::wstring& text);   // true only for "1"
bool ParseNoLoadSkin(const std::wstring& text);    // true only for "1"
bool ParseShowTrayIcon(const std::wstring& text);  // true unless "0"
// Rounded half to even; outside 0..3 or not a number gives 0.
int16_t ParseColorPickMode(const std::wstring& text, char decimalSeparator = '.');
// Rounded half to even; outside the 32-bit range or not a number gives -1.
int32_t ParseLastPosition(const std::wstring& text, char decimalSeparator = '.');
// Rounded half to even; below 1, from 32768 up or not a number gives 2.
int16_t ParseLastMagnification(const std::wstring& text, char decimalSeparator = '.');

// Points `ini` at the program's INI file and its settings section and reads
// every setting into `settings`.
void LoadSettings(INIAccess& ini, AppSettingsRecord& settings, char decimalSeparator = '.');

// Writes the settings to the program's INI file. The skin, window position
// (in twips) and magnification are the current ones, not the loaded ones.
void SaveSettings(INIAccess& ini, const AppSettingsRecord& settings,
                  const std::wstring& currentSkin, double leftTwips, double topTwips,
                  int16_t zoomX);

}  // namespace ocural
