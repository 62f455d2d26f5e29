#pragma once
// Shared pieces of the BitmapData method files.
#include <optional>

#include "player/avm1/BitmapData.h"
#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
struct PixelPoint {
    int x = 0, y = 0;
};

// A rectangle argument: an object with x, y, width and height (none undefined).
std::optional<PixelRect> pixelRectOf(Interpreter& in, const Value& v);
// A point argument; (0, 0) when not an object.
PixelPoint pixelPointOf(Interpreter& in, const Value& v);
// The part of r inside a width x height bitmap (empty: all zero).
PixelRect clipRect(PixelRect r, int width, int height);
Object* newBitmapData(Interpreter& in, int width, int height, bool transparent, uint32_t fill);

// copyPixels, copyChannel, merge, paletteMap, threshold, draw.
void installBitmapDataCopyMethods(Interpreter& in, Object* proto);
// compare, hitTest, noise, pixelDissolve, perlinNoise, generateFilterRect.
void installBitmapDataAnalysisMethods(Interpreter& in, Object* proto, Object* ctor);
// draw, applyFilter, BitmapData.loadBitmap and MovieClip.attachBitmap.
void installBitmapDataDrawing(Interpreter& in, Object* proto, Object* ctor);

}  // namespace kelmora::player::avm1
