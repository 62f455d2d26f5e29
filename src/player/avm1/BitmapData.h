#pragma once
// flash.display.BitmapData objects: their pixels live in a shared BitmapSurface.
#include <memory>

#include "player/avm1/Object.h"
#include "player/bitmap/BitmapSurface.h"

namespace kelmora::player::avm1 {

using player::BitmapSurface;
using player::premultiply;
using player::unpremultiply;

// Largest bitmaps a movie may make: 2880 px a side before SWF 10; from SWF 10 8191 px a side and
// at most 16,777,215 px in all.
bool bitmapSizeAllowed(int width, int height, int swfVersion);

struct BitmapDataState : NativeState {
    std::shared_ptr<BitmapSurface> surface = std::make_shared<BitmapSurface>();
};

// The live (not disposed) surface of a BitmapData object, or null.
BitmapSurface* bitmapDataOf(const Value& v);
// The surface, disposed or not.
BitmapSurface* anyBitmapDataOf(const Value& v);
// The shared surface, for display objects that show it.
std::shared_ptr<BitmapSurface> sharedSurfaceOf(const Value& v);

}  // namespace kelmora::player::avm1
