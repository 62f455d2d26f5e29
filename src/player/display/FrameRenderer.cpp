#include "player/display/FrameRenderer.h"

#include <algorithm>
#include <cmath>

#include "player/display/Bounds.h"
#include "player/display/ButtonObject.h"
#include "player/display/Compositing.h"
#include "player/display/EditTextObject.h"
#include "player/display/BitmapObject.h"
#include "player/display/ImageDraw.h"
#include "player/display/MovieClip.h"
#include "player/display/VideoObject.h"
#include "player/media/VideoStream.h"
#include "player/display/PlayContext.h"
#include "player/format/Characters.h"

namespace kelmora::player {

namespace {
// Layers for filters grow by at most this many pixels on each side.
constexpr double kMaxFilterMargin = 512;
// Masks, blend modes and filters nest at most this deep; deeper ones draw without a layer.
constexpr size_t kMaxLayers = 32;
// Mask pictures are drawn opaque: only their outline counts.
constexpr ColorTransform kOpaque{256, 256, 256, 0, 0, 0, 0, 255};

// opaqueBackground: the clip's box in one opaque colour, on whole pixels, under its drawing.
void fillBackground(PixelBuffer& target, const Rect& box, Rgba colour) {
    auto px = [](double v, int size) { return static_cast<int>(std::lround(std::clamp(v, 0.0, double(size)))); };
    const int x0 = px(box.xMin, target.width()), x1 = px(box.xMax, target.width());
    const int y0 = px(box.yMin, target.height()), y1 = px(box.yMax, target.height());
    const uint32_t argb = packArgb(255, colour.r, colour.g, colour.b);
    for (int y = y0; y < y1; ++y) std::fill(target.row(y) + x0, target.row(y) + std::max(x0, x1), argb);
}
}  // namespace

FrameRenderer::FrameRenderer() = default;
FrameRenderer::~FrameRenderer() = default;

PixelBuffer& FrameRenderer::acquireLayer(int width, int height) {
    if (layersInUse_ == layers_.size()) layers_.push_back(std::make_unique<PixelBuffer>());
    PixelBuffer& layer = *layers_[layersInUse_++];
    layer.resize(width, height);
    layer.fill(0);
    return layer;
}

void FrameRenderer::releaseLayer() { --layersInUse_; }

void FrameRenderer::render(const DisplayList& list, const PlayContext& context, const Matrix& toPixels,
                           PixelBuffer& target, const ShapeDef* drawing) {
    context_ = &context;
    toPixels_ = toPixels;
    stageScale_ = std::hypot(toPixels.a, toPixels.b) * kTwipsPerPixel;
    layersInUse_ = 0;
    blendLayers_ = 0;
    if (drawing) shapes_.draw(*drawing, toPixels, ColorTransform{}, target, context_);
    renderList(list, toPixels, ColorTransform{}, target, false, 0);
}

void FrameRenderer::renderList(const DisplayList& list, const Matrix& m, const ColorTransform& cx,
                               PixelBuffer& target, bool maskMode, int level) {
    struct ActiveMask {
        int clipDepth;
        PixelBuffer* coverage;
        PixelBuffer* content;
        PixelBuffer* below;
    };
    ActiveMask masks[8];
    int maskCount = 0;
    PixelBuffer* current = &target;
    auto closeMask = [&] {
        ActiveMask& mk = masks[--maskCount];
        compositeMasked(*mk.below, *mk.content, *mk.coverage);
        releaseLayer();
        releaseLayer();
        current = mk.below;
    };
    for (const auto& [depth, child] : list) {
        while (maskCount > 0 && depth > masks[maskCount - 1].clipDepth) closeMask();
        const DisplayObject& object = *child;
        if (object.clipDepth > 0) {
            if (maskMode) continue;
            if (maskCount == 8 || layersInUse_ + 2 > kMaxLayers) continue;
            PixelBuffer& coverage = acquireLayer(target.width(), target.height());
            renderObject(object, m, kOpaque, coverage, true, level + 1);
            PixelBuffer& content = acquireLayer(target.width(), target.height());
            masks[maskCount++] = {object.clipDepth, &coverage, &content, current};
            current = &content;
            continue;
        }
        if (!object.visible) continue;
        if (object.maskUsers > 0 && !maskMode) continue;
        const DisplayObject* mask = object.scriptMask;
        if (mask && !mask->removed && !maskMode && layersInUse_ + 2 <= kMaxLayers) {
            // The mask draws where it stands on the stage, whoever holds it.
            Matrix maskParent;
            for (const DisplayObject* p = mask->parent; p; p = p->parent) maskParent = p->matrix * maskParent;
            PixelBuffer& coverage = acquireLayer(target.width(), target.height());
            renderObject(*mask, toPixels_ * maskParent, kOpaque, coverage, true, level + 1);
            PixelBuffer& content = acquireLayer(target.width(), target.height());
            renderObject(object, m, cx, content, maskMode, level);
            compositeMasked(*current, content, coverage);
            releaseLayer();
            releaseLayer();
            continue;
        }
        renderObject(object, m, cx, *current, maskMode, level);
    }
    while (maskCount > 0) closeMask();
}

void FrameRenderer::renderObject(const DisplayObject& object, const Matrix& parent, const ColorTransform& parentCx,
                                 PixelBuffer& target, bool maskMode, int level) {
    const Matrix m = parent * object.matrix;
    BlendMode mode = object.blendMode;
    // Alpha and erase act on the layer of an enclosing blended object; without one they change only
    // the stage's alpha, which nobody sees.
    if ((mode == BlendMode::Alpha || mode == BlendMode::Erase) && blendLayers_ == 0 && !maskMode) return;
    const bool needsLayer =
        !maskMode && (!object.filters.empty() || mode > BlendMode::Normal) && layersInUse_ < kMaxLayers;
    if (!needsLayer) {
        const ColorTransform cx = maskMode ? parentCx : parentCx * object.colorTransform;
        drawContent(object, m, cx, target, maskMode, level);
        return;
    }
    Rect margin;
    if (!object.filters.empty()) {
        margin = filterMargins(object.filters, stageScale_, stageScale_);
        auto cap = [](double v) { return std::clamp(std::ceil(std::abs(v)), 0.0, kMaxFilterMargin); };
        margin = {cap(margin.xMin), cap(margin.yMin), cap(margin.xMax), cap(margin.yMax)};
    }
    // The layer covers what the object draws, grown by the filters, within reach of the target.
    Rect area = drawnBounds(object, m);
    if (area.empty()) return;
    area = {std::floor(area.xMin) - margin.xMin - 1, std::floor(area.yMin) - margin.yMin - 1,
            std::ceil(area.xMax) + margin.xMax + 1, std::ceil(area.yMax) + margin.yMax + 1};
    const Rect reach{-margin.xMax, -margin.yMax, target.width() + margin.xMin, target.height() + margin.yMin};
    area = {std::max(area.xMin, reach.xMin), std::max(area.yMin, reach.yMin), std::min(area.xMax, reach.xMax),
            std::min(area.yMax, reach.yMax)};
    if (area.empty()) return;
    const int left = static_cast<int>(area.xMin), top = static_cast<int>(area.yMin);
    PixelBuffer& layer = acquireLayer(static_cast<int>(area.width()), static_cast<int>(area.height()));
    const bool groups = mode > BlendMode::Normal;
    if (groups) ++blendLayers_;
    drawContent(object, Matrix::translate(-left, -top) * m, ColorTransform{}, layer, false, level);
    if (groups) --blendLayers_;
    if (!object.filters.empty()) applyFilters(layer, object.filters, stageScale_, stageScale_);
    applyColorTransform(layer, parentCx * object.colorTransform);
    blendLayer(target, layer, left, top, mode == BlendMode::Layer ? BlendMode::Normal : mode);
    releaseLayer();
}

void FrameRenderer::drawScrolled(const MovieClip& clip, const Matrix& m, const ColorTransform& cx,
                                 PixelBuffer& target, bool maskMode, int level) {
    const Rect& scroll = *clip.scrollRect;
    const Matrix inner = m * Matrix::translate(-scroll.xMin, -scroll.yMin);
    if (maskMode) {
        // As a mask the clip's drawing moves with the window but is not cut by it.
        if (clip.drawing) shapes_.draw(*clip.drawing, inner, cx, target, &clip.context());
        renderList(clip.children(), inner, cx, target, maskMode, level + 1);
        return;
    }
    // The window is cut at whole pixels.
    const Rect box = drawnBounds(clip, m);
    auto px = [](double v) { return static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6))); };
    const int x0 = px(box.xMin), y0 = px(box.yMin), x1 = px(box.xMax), y1 = px(box.yMax);
    if (x1 <= x0 || y1 <= y0) return;
    if (clip.backgroundColor) {
        fillBackground(target, Rect{double(x0), double(y0), double(x1), double(y1)}, cx.apply(*clip.backgroundColor));
    }
    PixelBuffer& layer = acquireLayer(target.width(), target.height());
    if (clip.drawing) shapes_.draw(*clip.drawing, inner, cx, layer, &clip.context());
    renderList(clip.children(), inner, cx, layer, maskMode, level + 1);
    compositeOverInBox(target, layer, x0, y0, x1, y1);
    releaseLayer();
}

void FrameRenderer::drawContent(const DisplayObject& object, const Matrix& m, const ColorTransform& cx,
                                PixelBuffer& target, bool maskMode, int level) {
    const Character* character = object.character();
    // Bitmaps and fonts come from the dictionary of the object's own movie (loaded movies, pictures).
    const PlayContext* context = &object.context();
    // opaqueBackground, under whatever the object draws; a scrolled clip fills only its window.
    if (object.backgroundColor && !maskMode && !object.scrollRect) {
        const Rect box = drawnBounds(object, m);
        if (!box.empty()) fillBackground(target, box, cx.apply(*object.backgroundColor));
    }
    switch (object.kind()) {
    case CharacterKind::Shape:
        shapes_.draw(*static_cast<const ShapeCharacter*>(character)->shape, m, cx, target, context);
        break;
    case CharacterKind::MorphShape:
        shapes_.drawMorph(*static_cast<const MorphCharacter*>(character)->morph, object.ratio / 65535.0, m, cx,
                          target, context);
        break;
    case CharacterKind::Text:
        drawText(*static_cast<const TextCharacter*>(character)->text, *context, m, cx, target, shapes_);
        break;
    case CharacterKind::EditText:
        // Laying out a field caches its lines; drawing changes nothing a script can see.
        const_cast<EditTextObject&>(static_cast<const EditTextObject&>(object)).field().draw(m, cx, target, shapes_);
        break;
    case CharacterKind::Sprite:
        if (const MovieClip* clip = object.asMovieClip()) {
            if (object.scrollRect && (maskMode || layersInUse_ < kMaxLayers)) {
                drawScrolled(*clip, m, cx, target, maskMode, level);
                break;
            }
            if (clip->drawing) shapes_.draw(*clip->drawing, m, cx, target, context);
            renderList(clip->children(), m, cx, target, maskMode, level + 1);
        }
        break;
    case CharacterKind::Video: {
        const auto& video = static_cast<const VideoObject&>(object);
        const PixelBuffer* picture = video.picture();
        if (!picture || picture->empty()) break;
        // The frame fills the stream's declared box (pixels, 20 twips each).
        const VideoStreamDef& stream = video.stream();
        double boxW = stream.width ? stream.width : picture->width(), boxH = stream.height ? stream.height : picture->height();
        Matrix toTwips = Matrix::scale(boxW * kTwipsPerPixel / picture->width(), boxH * kTwipsPerPixel / picture->height());
        drawImage(*picture, m * toTwips, cx, stream.smoothing, target);
        break;
    }
    case CharacterKind::Bitmap: {
        // Only bitmaps scripts attached; a bitmap character placed by a timeline shows nothing.
        const auto* bitmap = dynamic_cast<const BitmapObject*>(&object);
        if (!bitmap) break;
        const PixelBuffer& picture = bitmap->picture();
        if (!picture.empty())
            drawImage(picture, m * Matrix::scale(kTwipsPerPixel, kTwipsPerPixel), cx, bitmap->bitmap().smoothing, target);
        break;
    }
    case CharacterKind::Button:
        renderList(static_cast<const ButtonObject&>(object).children(), m, cx, target, maskMode, level + 1);
        break;
    default:
        break;
    }
}

}  // namespace kelmora::player
