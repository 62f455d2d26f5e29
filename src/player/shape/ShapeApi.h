#pragma once
// The contract between the engine's parts and its shape code (parsing DefineShape/DefineMorphShape,
// edges with a fill on each side, AGG's compound rasteriser). Everything that draws vector
// outlines — shapes, morphs, font glyphs, device-font outlines, the script drawing API — goes
// through ShapeDef and ShapeRenderer.
#include <cstdint>
#include <memory>
#include <span>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

struct ShapeDef;       // shape/ShapeDef.h: styles, edge records turned into edge lists, bounds
struct MorphShapeDef;  // shape/MorphShapeDef.h: start and end shapes; interpolated at a ratio

// Gives decoded bitmaps to bitmap fills (by character id); null when the id is not a bitmap.
class BitmapProvider {
public:
    virtual ~BitmapProvider() = default;
    virtual const PixelBuffer* bitmap(uint16_t characterId) const = 0;
};

// tagCode: 2, 22, 32 or 83; body: the tag's bytes (starting with the character id).
Result<std::shared_ptr<ShapeDef>> parseShape(uint16_t tagCode, std::span<const uint8_t> body);
// tagCode: 46 or 84.
Result<std::shared_ptr<MorphShapeDef>> parseMorphShape(uint16_t tagCode, std::span<const uint8_t> body);
// A font glyph: a SHAPE record (no style arrays), filled with fill style 1.
Result<std::shared_ptr<ShapeDef>> parseGlyph(std::span<const uint8_t> shapeRecord);

Rect shapeBounds(const ShapeDef& shape);
Rect morphBounds(const MorphShapeDef& morph, double ratio);

// Flash's rendering qualities. Low draws without anti-aliasing (a pixel belongs to the fill that
// covers its centre) and never smooths bitmaps; Medium anti-aliases but does not smooth bitmaps;
// High and Best anti-alias and smooth bitmap fills that ask for it.
enum class DrawQuality : uint8_t { Low, Medium, High, Best };

// Draws into premultiplied ARGB pictures. Keeps its scratch memory between calls; one instance
// per thread.
class ShapeRenderer {
public:
    ShapeRenderer();
    ~ShapeRenderer();
    ShapeRenderer(const ShapeRenderer&) = delete;
    ShapeRenderer& operator=(const ShapeRenderer&) = delete;

    // toPixels maps the shape's twips to target pixels (it includes the 1/20 scale).
    void draw(const ShapeDef& shape, const Matrix& toPixels, const ColorTransform& cx, PixelBuffer& target,
              const BitmapProvider* bitmaps);
    void drawMorph(const MorphShapeDef& morph, double ratio, const Matrix& toPixels, const ColorTransform& cx,
                   PixelBuffer& target, const BitmapProvider* bitmaps);
    // Every fill and stroke of the shape drawn in one solid colour (glyphs, text).
    void drawSolid(const ShapeDef& shape, const Matrix& toPixels, Rgba color, PixelBuffer& target);

    // High unless set otherwise; applies to the draws that follow.
    void setQuality(DrawQuality quality);
    DrawQuality quality() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelmora::player
