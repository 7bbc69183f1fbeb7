#include "controller/core/tray_callback.h"
#include "controller/core/tray_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace ocural {
namespace {

struct Call {
  bool appIcon;  // NotifyTrayAppIcon rather than NotifyTray
  uint32_t flags;
  uint64_t iconOrIndex;
  std::wstring tip;
  uint32_t message;
  bool operator==(const Call& o) const {
    return appIcon == o.appIcon && flags == o.flags && iconOrIndex == o.iconOrIndex && tip == o.tip &&
           message == o.message;
  }
};

void PrintTo(const Call& c, std::ostream* os) {
  *os << (c.appIcon ? "AppIcon(" : "Tray(") << c.flags << ", " << c.iconOrIndex << ", tip of "
      << c.tip.size() << " chars, msg " << c.message << ")";
}

class RecordingPlatform : public TrayPlatform {
 public:
  void NotifyTray(uint32_t flags, uint64_t hIcon, const std::wstring& tip, uint32_t message) override {
    calls.push_back({false, flags, hIcon, tip, message});
  }
  void NotifyTrayAppIcon(uint32_t flags, int iconIndex, const std::wstring& tip, uint32_t message) override {
    calls.push_back({true, flags, static_cast<uint64_t>(iconIndex), tip, message});
  }
  std::vector<Call> calls;
};

const Call kDelete{false, 0, 0, L"", kNimDelete};

Call Add(const std::wstring& tip) { return {true, 7, 0, L"ぴこら～" + tip, kNimAdd}; }

TEST(TrayIconState, StartsHiddenAndSilent) {
  RecordingPlatform p;
  TrayIconState s(p);
  EXPECT_FALSE(s.ShowTrayIcon());
  EXPECT_EQ(s.TrayTip(), L"");
  s.SetShowTrayIcon(false);
  s.Readd();
  EXPECT_TRUE(p.calls.empty());
}

TEST(TrayIconState, ShowAndHideOnlyOnChange) {
  RecordingPlatform p;
  TrayIconState s(p);
  s.SetShowTrayIcon(true);
  s.SetShowTrayIcon(true);
  EXPECT_TRUE(s.ShowTrayIcon());
  s.SetShowTrayIcon(false);
  s.SetShowTrayIcon(false);
  EXPECT_FALSE(s.ShowTrayIcon());
  EXPECT_EQ(p.calls, (std::vector<Call>{Add(L""), kDelete}));
}

TEST(TrayIconState, TipWhileHiddenIsKeptForTheNextShow) {
  RecordingPlatform p;
  TrayIconState s(p);
  s.SetTrayTip(L" [x2] a");
  EXPECT_EQ(s.TrayTip(), L" [x2] a");
  EXPECT_TRUE(p.calls.empty());
  s.SetShowTrayIcon(true);
  EXPECT_EQ(p.calls, (std::vector<Call>{Add(L" [x2] a")}));
}

TEST(TrayIconState, TipWhileShownModifiesTheTipOnly) {
  RecordingPlatform p;
  TrayIconState s(p);
  s.SetShowTrayIcon(true);
  s.SetTrayTip(L" [x3] b");
  s.SetTrayTip(L" [x3] b");  // the same text is still sent: the shell may have lost it
  const Call modify{true, 4, 0, L"ぴこら～ [x3] b", kNimModify};
  EXPECT_EQ(p.calls, (std::vector<Call>{Add(L""), modify, modify}));
  // After hiding, tips are stored again without a call.
  s.SetShowTrayIcon(false);
  p.calls.clear();
  s.SetTrayTip(L"c");
  EXPECT_TRUE(p.calls.empty());
}

TEST(TrayIconState, ReaddOnlyWhileShown) {
  RecordingPlatform p;
  TrayIconState s(p);
  s.SetTrayTip(L" [x4] d");
  s.Readd();
  EXPECT_TRUE(p.calls.empty());
  s.SetShowTrayIcon(true);
  s.Readd();
  EXPECT_EQ(p.calls, (std::vector<Call>{Add(L" [x4] d"), Add(L" [x4] d")}));
  EXPECT_TRUE(s.ShowTrayIcon());
}

TEST(TrayCallback, OnlyButtonReleasesAct) {
  EXPECT_EQ(TrayActionForMouseMessage(514), TrayAction::ActivateMain);
  EXPECT_EQ(TrayActionForMouseMessage(517), TrayAction::ActivateMainThenPopup);
  for (uint32_t m : {0u, 512u, 513u, 515u, 516u, 518u, 519u, 520u, 521u, 522u, 1024u}) {
    EXPECT_EQ(TrayActionForMouseMessage(m), TrayAction::Nothing) << m;
  }
}

}  // namespace
}  // namespace ocural
