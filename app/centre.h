// Where the open-file dialog goes so that it sits in the middle of the screen's work area.
#pragma once

namespace tvr {

struct Origin {
  int x = 0;
  int y = 0;
};

// The top-left corner that centres a `width` x `height` window in the area from (0, 0) to
// (`areaRight`, `areaBottom`): each half of the difference, truncated toward zero, so a
// window larger than the area gets negative coordinates.
constexpr Origin CentredOrigin(int areaRight, int areaBottom, int width, int height) {
  return Origin{(areaRight - width) / 2, (areaBottom - height) / 2};
}

}  // namespace tvr
