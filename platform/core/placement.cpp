#include "platform/core/placement.h"

#include <algorithm>

namespace ocural {
namespace {

int Place(int centred, int size, int low, int high) {
  // Pulled in from the far edge first, so that the near edge wins.
  return std::max(std::min(centred, high - size), low);
}

}  // namespace

WindowPlace CentredOnWorkArea(int width, int height, int screenWidth, int screenHeight, const WorkArea& work) {
  return {Place((screenWidth - width) / 2, width, work.left, work.right),
          Place((screenHeight - height) / 2, height, work.top, work.bottom)};
}

}  // namespace ocural
