// Stand-ins for engine parts that other branches provide (shapes, text, effects). They are weak so
// the real definitions replace them; each draws nothing and reads nothing. Removed once all parts
// are merged.
#include "player/render/EffectsApi.h"
#include "player/shape/ShapeApi.h"
#include "player/text/TextApi.h"

#define KELMORA_WEAK __attribute__((weak))

namespace kelmora::player {

struct ShapeDef {};
struct MorphShapeDef {};
struct FontDef {};
struct TextDef {};
struct EditTextDef {};
struct ShapeRenderer::Impl {};
struct EditTextInstance::Impl {
    std::shared_ptr<const EditTextDef> def;
    std::string text;
};

KELMORA_WEAK Result<std::shared_ptr<ShapeDef>> parseShape(uint16_t, std::span<const uint8_t>) {
    return makeError("shapes are not supported yet");
}
KELMORA_WEAK Result<std::shared_ptr<MorphShapeDef>> parseMorphShape(uint16_t, std::span<const uint8_t>) {
    return makeError("morph shapes are not supported yet");
}
KELMORA_WEAK Result<std::shared_ptr<ShapeDef>> parseGlyph(std::span<const uint8_t>) {
    return makeError("glyphs are not supported yet");
}
KELMORA_WEAK Rect shapeBounds(const ShapeDef&) { return {}; }
KELMORA_WEAK Rect morphBounds(const MorphShapeDef&, double) { return {}; }
KELMORA_WEAK ShapeRenderer::ShapeRenderer() : impl_(std::make_unique<Impl>()) {}
KELMORA_WEAK ShapeRenderer::~ShapeRenderer() = default;
KELMORA_WEAK void ShapeRenderer::draw(const ShapeDef&, const Matrix&, const ColorTransform&, PixelBuffer&,
                                      const BitmapProvider*) {}
KELMORA_WEAK void ShapeRenderer::drawMorph(const MorphShapeDef&, double, const Matrix&, const ColorTransform&,
                                           PixelBuffer&, const BitmapProvider*) {}
KELMORA_WEAK void ShapeRenderer::drawSolid(const ShapeDef&, const Matrix&, Rgba, PixelBuffer&) {}

KELMORA_WEAK Result<std::shared_ptr<FontDef>> parseFont(uint16_t, std::span<const uint8_t>) {
    return makeError("fonts are not supported yet");
}
KELMORA_WEAK Status applyFontInfo(FontDef&, uint16_t, std::span<const uint8_t>) { return {}; }
KELMORA_WEAK Result<std::shared_ptr<TextDef>> parseText(uint16_t, std::span<const uint8_t>) {
    return makeError("text is not supported yet");
}
KELMORA_WEAK Result<std::shared_ptr<EditTextDef>> parseEditText(std::span<const uint8_t>) {
    return makeError("text fields are not supported yet");
}
KELMORA_WEAK Rect textBounds(const TextDef&) { return {}; }
KELMORA_WEAK void drawText(const TextDef&, const FontProvider&, const Matrix&, const ColorTransform&, PixelBuffer&,
                           ShapeRenderer&) {}
KELMORA_WEAK EditTextInstance::EditTextInstance(std::shared_ptr<const EditTextDef> def, const FontProvider&)
    : impl_(std::make_unique<Impl>()) {
    impl_->def = std::move(def);
}
KELMORA_WEAK EditTextInstance::~EditTextInstance() = default;
KELMORA_WEAK const EditTextDef& EditTextInstance::definition() const { return *impl_->def; }
KELMORA_WEAK std::string EditTextInstance::text() const { return impl_->text; }
KELMORA_WEAK void EditTextInstance::setText(const std::string& plain) { impl_->text = plain; }
KELMORA_WEAK std::string EditTextInstance::htmlText() const { return impl_->text; }
KELMORA_WEAK void EditTextInstance::setHtmlText(const std::string& html) { impl_->text = html; }
KELMORA_WEAK Rect EditTextInstance::bounds() const { return {}; }
KELMORA_WEAK void EditTextInstance::draw(const Matrix&, const ColorTransform&, PixelBuffer&, ShapeRenderer&) {}

KELMORA_WEAK std::vector<Filter> readFilterList(BitReader& reader) {
    // Skips nothing: without filter code the record's later fields are unreliable.
    (void)reader;
    return {};
}
KELMORA_WEAK Rect filterMargins(const std::vector<Filter>&, double, double) { return {}; }
KELMORA_WEAK void applyFilters(PixelBuffer&, const std::vector<Filter>&, double, double) {}
KELMORA_WEAK void blendLayer(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy, BlendMode) {
    for (int y = 0; y < src.height(); ++y) {
        int dy = y + oy;
        if (dy < 0 || dy >= dst.height()) continue;
        for (int x = 0; x < src.width(); ++x) {
            int dx = x + ox;
            if (dx < 0 || dx >= dst.width()) continue;
            uint32_t s = src.row(y)[x], d = dst.row(dy)[dx];
            uint32_t inv = 255 - (s >> 24);
            uint32_t out = 0;
            for (int sh = 0; sh < 32; sh += 8)
                out |= std::min<uint32_t>(255, ((s >> sh) & 0xff) + (((d >> sh) & 0xff) * inv + 127) / 255) << sh;
            dst.row(dy)[dx] = out;
        }
    }
}

}  // namespace kelmora::player
