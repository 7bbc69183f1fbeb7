// Whether the program shows an icon in the notification area, and its tip.
// Every change that the shell must hear about goes through TrayPlatform, so
// the calls made can be checked away from Windows.
#pragma once

#include <cstdint>
#include <string>

namespace ocural {

// Shell_NotifyIcon messages.
constexpr uint32_t kNimAdd = 0;
constexpr uint32_t kNimModify = 1;
constexpr uint32_t kNimDelete = 2;

class TrayPlatform {
 public:
  virtual ~TrayPlatform() = default;
  // Sends the record with the given icon handle (0 for none).
  virtual void NotifyTray(uint32_t flags, uint64_t hIcon, const std::wstring& tip, uint32_t message) = 0;
  // Sends the record with the small icon number iconIndex of the program's
  // own executable.
  virtual void NotifyTrayAppIcon(uint32_t flags, int iconIndex, const std::wstring& tip, uint32_t message) = 0;
};

class TrayIconState {
 public:
  // The icon starts hidden with an empty tip; the platform must outlive this.
  explicit TrayIconState(TrayPlatform& platform) : platform_(platform) {}

  bool ShowTrayIcon() const { return show_; }
  // Adds or removes the icon when the value changes; nothing otherwise.
  void SetShowTrayIcon(bool NewValue);

  // The text after the program's name in the icon's tip.
  std::wstring TrayTip() const { return tip_; }
  // Stores the text and, while the icon is shown, updates the tip at once.
  void SetTrayTip(const std::wstring& NewValue);

  // The notification area has been recreated (Explorer restarted): adds the
  // icon again while it is meant to be shown.
  void Readd();

 private:
  TrayPlatform& platform_;
  bool show_ = false;
  std::wstring tip_;
};

}  // namespace ocural
