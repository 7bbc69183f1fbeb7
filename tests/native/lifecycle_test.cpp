#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  EXPECT_EQ(h.calls, (Calls{"LoadSetting", "Left=0", "Top=4500", "LoadSkin:round.vsk", "KeepReachable", "LoadSubCtrl",
                            "ApplySetting", "InstallHook", "ZoomX=7"}));
}

TEST(FormLoadTest, EachAxisIsRestoredOnItsOwnAndOnlyMinusOneIsNotSet) {
  RecordingHost h;
  h.values.NoLoadSkin = true;
  h.values.LastSkin = L"ignored.vsk";
  h.values.LastX = -1;
  h.values.LastY = 300;
  RunFormLoad(h);
  EXPECT_EQ(h.calls, (Calls{"LoadSetting", "Top=300", "KeepReachable", "LoadSubCtrl", "ApplySetting", "InstallHook", "ZoomX=2"}));

  // Left of and above the primary monitor.
  RecordingHost g;
  g.values.NoLoadSkin = true;
  g.values.LastX = -7500;
  g.values.LastY = -2;
  RunFormLoad(g);
  EXPECT_EQ(g.calls, (Calls{"LoadSetting", "Left=-7500", "Top=-2", "KeepReachable", "LoadSubCtrl", "ApplySetting",
                            "InstallHook", "ZoomX=2"}));
}

TEST(QueryUnloadTest, SavesBeforeTheSkinIsDroppedAndUnhooksBeforeTheControllerGoes) {
  RecordingHost h;
  ShutDown progress = ShutDown::NotStarted;
  RunQueryUnload(h, progress);
  EXPECT_EQ(h.calls, (Calls{"Hide", "ShowTrayIcon=False", "SaveSetting", "UnloadSkin", "RemoveHook",
                            "UnloadSubCtrl"}));
  // The end of the session after the shut-down saves nothing more (the skin's
  // name is gone by then).
  RunEndSessionDuringShutDown(h, progress);
  EXPECT_EQ(h.calls.size(), 6u);
}

// A host whose system ends the session inside one step of the shut-down.
class EndsSessionAt : public RecordingHost {
 public:
  EndsSessionAt(std::string step, ShutDown& progress) : step_(std::move(step)), progress_(progress) {}
  void Hide() override { Step("Hide", [this] { RecordingHost::Hide(); }); }
  void HideTrayIcon() override { Step("ShowTrayIcon=False", [this] { RecordingHost::HideTrayIcon(); }); }
  void UnloadSkin() override { Step("UnloadSkin", [this] { RecordingHost::UnloadSkin(); }); }

 private:
  template <typename F>
  void Step(const std::string& name, F run) {
    run();
    if (name != step_) return;
    RunEndSessionDuringShutDown(*this, progress_);
    calls.push_back("answered");
  }
  std::string step_;
  ShutDown& progress_;
};

// The system's end of session handled inside a step of the shut-down: the
// settings are saved before it is answered, once in all, and never after the
// skin is dropped.
TEST(QueryUnloadTest, AnEndOfSessionDuringTheShutDownSavesBeforeItIsAnswered) {
  const std::pair<const char*, Calls> rows[] = {
      {"Hide", {"Hide", "SaveSetting", "answered", "ShowTrayIcon=False", "UnloadSkin"}},
      {"ShowTrayIcon=False", {"Hide", "ShowTrayIcon=False", "SaveSetting", "answered", "UnloadSkin"}},
      {"UnloadSkin", {"Hide", "ShowTrayIcon=False", "SaveSetting", "UnloadSkin", "answered"}},
  };
  for (const auto& row : rows) {
    ShutDown progress = ShutDown::NotStarted;
    EndsSessionAt h(row.first, progress);
    RunQueryUnload(h, progress);
    const Calls head(h.calls.begin(), h.calls.begin() + 5);
    EXPECT_EQ(head, row.second) << row.first;
  }
}

}  // namespace
}  // namespace ocural
