#include <gtest/gtest.h>

#include <vector>

#include "magnifier/core/snapshot_area.h"
#include "magnifier/core/snapshot_schedule.h"

namespace ocural {
namespace {

using E = SnapshotEvent;
using A = SnapshotAction;

// One thing that happens to the window, in the order it happens, and what
// the schedule must say to it. `begin` and `end` stand for a snapshot's start
// and end (the window takes one for every Take; events between them arrive
// while it is away).
struct Step {
  E event;
  A expect = A::None;
  bool visible = true;
  bool otherActive = false;
  bool begin = false;
  bool end = false;
};
Step Ev(E e, A expect = A::None) { return Step{e, expect}; }
Step Hidden(E e) { return Step{e, A::None, false}; }
Step SettledWith(bool otherActive, A expect) { return Step{E::Settled, expect, true, otherActive}; }
const Step kBegin{E::Move, A::None, true, false, true};
const Step kEnd{E::Move, A::None, true, false, false, true};

struct Sequence {
  const char* what;
  bool pressLostOnMove;
  std::vector<Step> steps;
};

// The sequences in which events reach the window. A Take is run as the
// window runs it: the snapshot begins and ends at once unless the sequence
// says what arrives meanwhile.
TEST(SnapshotScheduleTest, EventsAsTheyArriveGiveTheirSnapshots) {
  const Sequence sequences[] = {
      {"a click activation where the press survives a move", false,
       {Ev(E::ClickActivate, A::Take), Ev(E::PressOver)}},
      {"a release then a press at once (Wine): taken at the end of each press, once",
       true,
       {Ev(E::ClickActivate), Ev(E::PressOver, A::Take), Ev(E::PressOver), Ev(E::ClickActivate),
        Ev(E::PressOver, A::Take)}},
      {"a press put off, then a move first: the move's snapshot settles it", true,
       {Ev(E::ClickActivate), Ev(E::Move, A::Take), Ev(E::PressOver)}},
      {"an activation is taken once it has settled, once for several", false,
       {Ev(E::Activate, A::Post), Ev(E::Activate), SettledWith(false, A::Take), SettledWith(true, A::None)}},
      {"a snapshot in between settles what waited", false,
       {Ev(E::Activate, A::Post), Ev(E::Move, A::Take), SettledWith(true, A::None)}},
      {"a deactivation that left another window active", false,
       {Ev(E::Deactivate, A::Post), SettledWith(true, A::Take)}},
      {"a deactivation that left nobody active (Wine, after a snapshot)", true,
       {Ev(E::Deactivate, A::Post), SettledWith(false, A::None), Ev(E::Move, A::Take)}},
      {"a deactivation and an activation before they settle", false,
       {Ev(E::Deactivate, A::Post), Ev(E::Activate), SettledWith(false, A::Take)}},
      {"an activation then the menu: taken once the menu is gone", false,
       {Ev(E::Activate, A::Post), Ev(E::MenuOpened), SettledWith(true, A::None), Ev(E::Move),
        Ev(E::Deactivate), Ev(E::MenuClosed, A::Post), SettledWith(false, A::Take)}},
      {"a right press put off, then its menu: taken when the menu has gone", true,
       {Ev(E::ClickActivate), Ev(E::MenuOpened), Ev(E::PressOver), Ev(E::MenuClosed, A::Post),
        Ev(E::PressOver), SettledWith(false, A::Take)}},
      {"a move by another program during a snapshot, and its activation changes", false,
       {Ev(E::Move, A::Take), kBegin, Ev(E::Move), Ev(E::Deactivate), Ev(E::Activate), kEnd, Ev(E::Move, A::Take)}},
      {"a press put off and ending while hidden waits until the window shows", true,
       {Ev(E::ClickActivate), Hidden(E::PressOver), Ev(E::PressOver, A::Take)}},
      {"a shut-down during a snapshot: the hide's deactivation, then nothing while hidden", true,
       {Ev(E::Activate, A::Post), Ev(E::Move, A::Take), kBegin, Hidden(E::Deactivate), kEnd, Hidden(E::Settled),
        Hidden(E::Move), Hidden(E::PressOver)}},
      {"hidden: a posted activation that comes back is spent", false,
       {Ev(E::Activate, A::Post), Hidden(E::Settled), SettledWith(true, A::None)}},
  };
  for (const Sequence& seq : sequences) {
    SnapshotSchedule s(seq.pressLostOnMove);
    bool inside = false;
    for (size_t i = 0; i < seq.steps.size(); ++i) {
      const Step& step = seq.steps[i];
      if (step.begin) {
        ASSERT_TRUE(s.Begin()) << seq.what;
        inside = true;
        continue;
      }
      if (step.end) {
        s.End();
        inside = false;
        continue;
      }
      const A got = s.On(step.event, WindowNow{step.visible, step.otherActive});
      EXPECT_EQ(got, step.expect) << seq.what << ", step " << i;
      const bool nextBegins = i + 1 < seq.steps.size() && seq.steps[i + 1].begin;
      if (got == A::Take && !nextBegins && !inside) {
        EXPECT_TRUE(s.Begin()) << seq.what;
        EXPECT_FALSE(s.Begin()) << "a second snapshot inside the first: " << seq.what;
        s.End();
      }
    }
  }
}

// The activation that showing a window with a fresh lens brings takes no
// second snapshot; a move still does.
TEST(SnapshotScheduleTest, AWindowShownWithAFreshLensTakesNoneForItsActivation) {
  SnapshotSchedule s(true);
  s.FreshLens(true);
  EXPECT_EQ(s.On(E::Activate, WindowNow{}), A::None);
  EXPECT_EQ(s.On(E::ClickActivate, WindowNow{}), A::None);
  EXPECT_EQ(s.On(E::Move, WindowNow{}), A::Take);
  s.FreshLens(false);
  EXPECT_FALSE(s.Waiting());
  EXPECT_EQ(s.On(E::Activate, WindowNow{}), A::Post);
  EXPECT_TRUE(s.Waiting());
}

// The area holds the lens's source rectangle at every factor, for lenses of
// odd and even sizes at every parity of place, so a change of factor never
// needs a new copy; and it holds the window's own place.
TEST(SnapshotAreaTest, AreaHoldsEverySourceRectangleAndTheWindow) {
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

TEST(SnapshotAreaTest, AreaIsCutToTheMonitorsAndIsEmptyOffThemAll) {
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
