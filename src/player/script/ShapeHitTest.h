#pragma once
// hitTest with the shape flag: whether a stage point falls on what an object actually draws
// (the fills by their winding rule, the strokes by their width), not just inside its box.
#include "player/Geometry.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {
class DisplayObject;
}

namespace kelmora::player::script {

// `point` in the layer's own twips. Fills are even-odd unless nonZero.
bool layerContains(const ShapeLayer& layer, Point point, bool nonZero);
bool shapeContains(const ShapeDef& shape, Point point);
// `toStage` places the object on the stage; `stagePoint` is in stage twips.
bool objectContains(const DisplayObject& object, const Matrix& toStage, Point stagePoint);

}  // namespace kelmora::player::script
