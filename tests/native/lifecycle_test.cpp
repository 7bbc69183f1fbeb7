#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "magnifier/core/lifecycle.h"

namespace ocural {
namespace {

// Records every step as text so a sequence can be compared as data.
class RecordingHost : public MainWindowHost {
 public:
  StartupValues values;
  std::vector<std::string> calls;

  void LoadSetting() override { calls.push_back("LoadSetting"); }
  StartupValues Startup() const override { return values; }
  void LoadSkin(const std::wstring& f) override { calls.push_back("LoadSkin:" + std::string(f.begin(), f.end())); }
  void SetLeftTwips(int32_t t) override { calls.push_back("Left=" + std::to_string(t)); }
  void SetTopTwips(int32_t t) override { calls.push_back("Top=" + std::to_string(t)); }
  void KeepReachable() override { calls.push_back("KeepReachable"); }
  void LoadSubCtrl() override { calls.push_back("LoadSubCtrl"); }
  void ApplySetting() override { calls.push_back("ApplySetting"); }
  void InstallHook() override { calls.push_back("InstallHook"); }
  void SetZoomX(int16_t z) override { calls.push_back("ZoomX=" + std::to_string(z)); }
  void Hide() override { calls.push_back("Hide"); }
  void HideTrayIcon() override { calls.push_back("ShowTrayIcon=False"); }
  void SaveSetting() override { calls.push_back("SaveSetting"); }
  void UnloadSkin() override { calls.push_back("UnloadSkin"); }
  void RemoveHook() override { calls.push_back("RemoveHook"); }
  void UnloadSubCtrl() override { calls.push_back("UnloadSubCtrl"); }
};

using Calls = std::vector<std::string>;

TEST(FormLoadTest, FirstStartLoadsTheEmptySkinNameAndKeepsTheSystemPlace) {
  RecordingHost h;
  RunFormLoad(h);
  EXPECT_EQ(h.calls, (Calls{"LoadSetting", "LoadSkin:", "LoadSubCtrl", "ApplySetting", "InstallHook", "ZoomX=2"}));
}

TEST(FormLoadTest, SavedPlaceSkinAndFactorInOrder) {
  RecordingHost h;
  h.values.LastSkin = L"round.vsk";
  h.values.LastX = 0;
  h.values.LastY = 4500;
  h.values.LastMagnification = 7;
  RunFormLoad(h);
  EXPECT_EQ(h.calls, (Calls{"LoadSetting", "LoadSkin:round.vsk", "Left=0", "Top=4500", "KeepReachable", "LoadSubCtrl",
                            "ApplySetting", "InstallHook", "ZoomX=7"}));
}

TEST(FormLoadTest, EachAxisIsRestoredOnItsOwnAndNegativesAreNot) {
  RecordingHost h;
  h.values.NoLoadSkin = true;
  h.values.LastSkin = L"ignored.vsk";
  h.values.LastX = -1;
  h.values.LastY = 300;
  RunFormLoad(h);
  EXPECT_EQ(h.calls, (Calls{"LoadSetting", "Top=300", "KeepReachable", "LoadSubCtrl", "ApplySetting", "InstallHook", "ZoomX=2"}));

  RecordingHost g;
  g.values.NoLoadSkin = true;
  g.values.LastX = -45;
  g.values.LastY = -2;
  RunFormLoad(g);
  EXPECT_EQ(g.calls, (Calls{"LoadSetting", "LoadSubCtrl", "ApplySetting", "InstallHook",
                            "ZoomX=2"}));
}

TEST(QueryUnloadTest, SavesBeforeTheSkinIsDroppedAndUnhooksBeforeTheControllerGoes) {
  RecordingHost h;
  RunQueryUnload(h);
  EXPECT_EQ(h.calls, (Calls{"Hide", "ShowTrayIcon=False", "SaveSetting", "UnloadSkin", "RemoveHook",
                            "UnloadSubCtrl"}));
}

}  // namespace
}  // namespace ocural
