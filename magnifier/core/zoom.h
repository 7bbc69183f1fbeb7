// The zoom controls: painted hot areas and the factor's steps.
#pragma once

#include <cstdint>

#include "skin/core/skin_file.h"

namespace ocural {

// A zoom area is the skin's rectangle for it, in window pixels, edges
// included.

// A point is hot for a zoom control when it lies in the control's rectangle
// (edges included) and the control's real button is hidden: a shown button
// takes its own clicks.
inline bool ZoomAreaHot(float x, float y, const SkinRect& r, bool buttonVisible) {
  return !buttonVisible && x >= static_cast<float>(r.x1) && x <= static_cast<float>(r.x2) &&
         y >= static_cast<float>(r.y1) && y <= static_cast<float>(r.y2);
}

enum class PressAction { ZoomIn, ZoomOut, Drag, Nothing };

// What a press on the window body does: zoom in wins where the areas overlap.
inline PressAction BodyPressAction(int button, float x, float y, const SkinRect& in, bool inVisible,
                                   const SkinRect& out, bool outVisible) {
  if (button != 1) return PressAction::Nothing;
  if (ZoomAreaHot(x, y, in, inVisible)) return PressAction::ZoomIn;
  if (ZoomAreaHot(x, y, out, outVisible)) return PressAction::ZoomOut;
  return PressAction::Drag;
}

// The factor after a zoom-in: one more, but a 16-bit factor stays at its top.
inline int16_t ZoomedIn(int16_t factor) { return factor >= INT16_MAX ? factor : static_cast<int16_t>(factor + 1); }

}  // namespace ocural
