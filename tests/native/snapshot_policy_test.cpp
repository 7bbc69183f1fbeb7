#include <gtest/gtest.h>

#include "magnifier/core/snapshot_policy.h"

namespace ocural {
namespace {

using E = SnapshotEvent;
using A = SnapshotAction;

SnapshotState Shown() { return SnapshotState{}; }

// Every event against the states that change what it does.
TEST(SnapshotPolicyTest, EventsAndStatesGiveTheirActions) {
  SnapshotState capturing = Shown();
  capturing.capturing = true;
  SnapshotState ownMove = capturing;
  ownMove.ownMove = true;
  SnapshotState hidden = Shown();
  hidden.visible = false;
  SnapshotState fresh = Shown();
  fresh.freshLens = true;
  SnapshotState wine = Shown();
  wine.holdClickActivation = true;
  SnapshotState putOff = wine;
  putOff.putOff = true;
  SnapshotState putOffHidden = putOff;
  putOffHidden.visible = false;
  SnapshotState posted = Shown();
  posted.posted = true;
  SnapshotState postedHidden = posted;
  postedHidden.visible = false;
  SnapshotState toNobody = Shown();
  toNobody.activationToNobody = true;
  SnapshotState menu = Shown();
  menu.menuOpen = true;
  SnapshotState menuPosted = menu;
  menuPosted.posted = true;

  struct Row {
    const char* what;
    E event;
    SnapshotState state;
    A action;
    bool putOffAfter;
    bool postedAfter = false;
  };
  const Row rows[] = {
      {"a move", E::Move, Shown(), A::Take, false},
      {"an activation", E::Activate, Shown(), A::Post, false, true},
      {"an activation with one posted", E::Activate, posted, A::None, false, true},
      {"the posted message back", E::Settled, posted, A::Take, false, false},
      {"the posted message after a snapshot took its place", E::Settled, Shown(), A::None, false, false},
      {"the posted message back while hidden", E::Settled, postedHidden, A::None, false, false},
      {"a move while one is posted", E::Move, posted, A::Take, false, false},
      {"a deactivation", E::Deactivate, Shown(), A::Take, false},
      {"a deactivation that activates nothing", E::Deactivate, toNobody, A::None, false},
      {"a click activation where the press survives a move", E::ClickActivate, Shown(), A::Take, false},
      {"a click activation where it does not", E::ClickActivate, wine, A::PutOff, true},
      {"the end of that press", E::PressOver, putOff, A::Take, false},
      {"a press over with nothing put off", E::PressOver, wine, A::None, false},
      {"a move while one is put off", E::Move, putOff, A::Take, false},
      {"the snapshot's own move", E::Move, ownMove, A::None, false},
      {"someone else's move during a snapshot", E::Move, capturing, A::MovedAside, false},
      {"an activation change during a snapshot", E::Deactivate, capturing, A::None, false},
      {"a request during a snapshot", E::Requested, capturing, A::None, false},
      {"the hide's deactivation", E::Deactivate, hidden, A::None, false},
      {"a move while hidden", E::Move, hidden, A::None, false},
      {"a put-off press ending while hidden", E::PressOver, putOffHidden, A::None, true},
      {"a request while hidden (skin reload)", E::Requested, hidden, A::Take, false},
      {"the activation of a window shown with a fresh lens", E::Activate, fresh, A::None, false},
      {"a move while shown with a fresh lens", E::Move, fresh, A::Take, false},
      {"an activation's message back under the open menu", E::Settled, menuPosted, A::PutOff, true, false},
      {"an activation under the open menu", E::Activate, menu, A::PutOff, true, false},
      {"a deactivation under the open menu", E::Deactivate, menu, A::PutOff, true, false},
      {"a request under the open menu", E::Requested, menu, A::Take, false},
      {"the menu closing with one put off", E::MenuClosed, putOff, A::Post, false, true},
      {"the menu closing with nothing put off", E::MenuClosed, Shown(), A::None, false},
  };
  for (const Row& r : rows) {
    const SnapshotDecision d = DecideSnapshot(r.event, r.state);
    EXPECT_EQ(d.action, r.action) << r.what;
    EXPECT_EQ(d.putOff, r.putOffAfter) << r.what;
    EXPECT_EQ(d.posted, r.postedAfter) << r.what;
  }
}

// The area holds the lens's source rectangle at every factor, for lenses of
// odd and even sizes at every parity of place, so a change of factor never
// needs a new copy; and it holds the window's own place.
TEST(SnapshotPolicyTest, AreaHoldsEverySourceRectangleAndTheWindow) {
  const ScreenRect screens{-1920, -400, 2048, 1536};
  for (int32_t size : {185, 186, 1, 2, 33}) {
    for (int32_t left = -7; left <= 7; ++left) {
      for (int32_t top : {100, 101}) {
        const ScreenRect window{left - 8, top - 8, left + size + 8, top + size + 40};
        const ScreenRect lens{left, top, left + size, top + size};
        const SourceRect area = SnapshotArea(window, lens, screens);
        ASSERT_TRUE(Contains(area, SourceRect{window.left, window.top, window.right - window.left,
                                              window.bottom - window.top}));
        for (int32_t zoom : {1, 2, 3, 5, 12, 1000}) {
          const SourceRect src = CalcSourceRectFor(lens.left, lens.top, lens.right, lens.bottom, zoom);
          ASSERT_TRUE(Contains(area, src)) << "lens " << size << " at " << left << "," << top << " factor " << zoom;
        }
      }
    }
  }
}

TEST(SnapshotPolicyTest, AreaIsCutToTheMonitorsAndIsEmptyOffThemAll) {
  const ScreenRect screens{-1280, 0, 1024, 768};  // a monitor left of the primary one
  const ScreenRect window{-1300, 700, -1100, 900};
  const SourceRect a = SnapshotArea(window, ScreenRect{-1290, 710, -1105, 895}, screens);
  EXPECT_EQ(a.x, -1280);
  EXPECT_EQ(a.y, 700);
  EXPECT_EQ(a.width, 180);
  EXPECT_EQ(a.height, 68);
  const ScreenRect above{100, -500, 300, -300};
  EXPECT_EQ(SnapshotArea(above, ScreenRect{108, -492, 293, -307}, screens).width, 0);
  EXPECT_EQ(TopAboveScreens(-400, 225), -625);
}

}  // namespace
}  // namespace ocural
