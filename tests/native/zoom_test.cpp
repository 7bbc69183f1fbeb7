#include <gtest/gtest.h>

#include <vector>

#include "magnifier/core/keys.h"
#include "magnifier/core/zoom.h"

namespace ocural {
namespace {

TEST(ZoomAreaTest, EdgesAreInsideAndAShownButtonTakesItsOwnArea) {
  const SkinRect r{10, 20, 30, 40};
  EXPECT_TRUE(ZoomAreaHot(10, 30, r, false));
  EXPECT_TRUE(ZoomAreaHot(20, 40, r, false));
  EXPECT_TRUE(ZoomAreaHot(15.5f, 35.25f, r, false));
  EXPECT_FALSE(ZoomAreaHot(20.5f, 35, r, false));
  EXPECT_FALSE(ZoomAreaHot(9.99f, 35, r, false));
  EXPECT_FALSE(ZoomAreaHot(15, 40.01f, r, false));
  EXPECT_FALSE(ZoomAreaHot(15, 35, r, true));
}

TEST(ZoomAreaTest, NoSkinMeansEveryLeftPressDrags) {
  const SkinRect none{};
  // With no skin both rectangles are 0 and both buttons shown.
  EXPECT_EQ(BodyPressAction(1, 0, 0, none, true, none, true), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(1, 100, 210, none, true, none, true), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(2, 0, 0, none, true, none, true), PressAction::Nothing);
  EXPECT_EQ(BodyPressAction(4, 0, 0, none, true, none, true), PressAction::Nothing);
}

TEST(ZoomAreaTest, PaintedAreasZoomAndZoomInWinsWhereTheyOverlap) {
  const SkinRect in{10, 30, 10, 30}, out{25, 50, 25, 50};
  EXPECT_EQ(BodyPressAction(1, 12, 12, in, false, out, false), PressAction::ZoomIn);
  EXPECT_EQ(BodyPressAction(1, 27, 27, in, false, out, false), PressAction::ZoomIn);
  EXPECT_EQ(BodyPressAction(1, 45, 45, in, false, out, false), PressAction::ZoomOut);
  EXPECT_EQ(BodyPressAction(1, 27, 27, in, true, out, false), PressAction::ZoomOut);
  EXPECT_EQ(BodyPressAction(1, 60, 60, in, false, out, false), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(2, 12, 12, in, false, out, false), PressAction::Nothing);
}

TEST(ZoomStepTest, ZoomInStopsAtTheTopOfSixteenBits) {
  EXPECT_EQ(ZoomedIn(2), 3);
  EXPECT_EQ(ZoomedIn(12), 13);
  EXPECT_EQ(ZoomedIn(32766), 32767);
  EXPECT_EQ(ZoomedIn(32767), 32767);
}

}  // namespace
}  // namespace ocural

namespace ocural {
namespace {

TEST(KeysTest, EachKeyAndCharacterGivesItsCommand) {
  struct Row {
    const char* what;
    int key;
    bool shift, ctrl;
    KeyCommand command;
    int dx, dy;
  };
  const Row rows[] = {
      {"left", vk::kLeft, false, false, KeyCommand::Move, -1, 0},
      {"right with Shift", vk::kRight, true, false, KeyCommand::Move, 10, 0},
      {"up", vk::kUp, false, false, KeyCommand::Move, 0, -1},
      {"down with Shift", vk::kDown, true, false, KeyCommand::Move, 0, 10},
      {"the menu key", vk::kApps, false, false, KeyCommand::Menu, 0, 0},
      {"Shift+F10", vk::kF10, true, false, KeyCommand::Menu, 0, 0},
      {"F10 alone", vk::kF10, false, false, KeyCommand::None, 0, 0},
      {"Ctrl+C", vk::kC, false, true, KeyCommand::CopyColour, 0, 0},
      {"C alone", vk::kC, false, false, KeyCommand::None, 0, 0},
      {"Ctrl+Shift+C", vk::kC, true, true, KeyCommand::None, 0, 0},
      {"Ctrl+arrow", vk::kLeft, false, true, KeyCommand::None, 0, 0},
  };
  for (const Row& r : rows) {
    const KeyAction a = ActionOfKey(r.key, r.shift, r.ctrl);
    EXPECT_EQ(a.command, r.command) << r.what;
    EXPECT_EQ(a.dx, r.dx) << r.what;
    EXPECT_EQ(a.dy, r.dy) << r.what;
  }
  EXPECT_EQ(ZoomOfCharacter(L'+'), KeyCommand::ZoomIn);
  EXPECT_EQ(ZoomOfCharacter(L'-'), KeyCommand::ZoomOut);
  EXPECT_EQ(ZoomOfCharacter(L'='), KeyCommand::None);
}

// Sequences of wheel messages and the notches each one gives.
TEST(KeysTest, WheelActsOnEachWholeNotchAndKeepsTheRest) {
  struct Row {
    const char* what;
    std::vector<int32_t> deltas;
    std::vector<int32_t> notches;
  };
  const Row rows[] = {
      {"one notch up, one down", {120, -120}, {1, -1}},
      {"three notches at once", {360}, {3}},
      {"a fine wheel, 40 a message", {40, 40, 40, 40, 40, 40}, {0, 0, 1, 0, 0, 1}},
      {"uneven steps add up", {100, 30, 110}, {0, 1, 1}},
      {"a turn back drops the rest", {100, -30, -90}, {0, 0, -1}},
      {"the largest deltas", {32767, -32768}, {273, -273}},
  };
  for (const Row& r : rows) {
    int32_t rest = 0;
    std::vector<int32_t> got;
    for (int32_t d : r.deltas) got.push_back(WheelNotches(rest, d));
    EXPECT_EQ(got, r.notches) << r.what;
  }
}

}  // namespace
}  // namespace ocural
