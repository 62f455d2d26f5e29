#pragma once
// Where an object draws, for sizing the layers of blend modes, filters and masks.
#include "player/Geometry.h"
#include "player/display/DisplayObject.h"

namespace kelmora::player {

// Bounding box in the space `m` maps to (m: the object's full matrix, its own included). Empty
// when the object draws nothing.
Rect drawnBounds(const DisplayObject& object, const Matrix& m);

}  // namespace kelmora::player
