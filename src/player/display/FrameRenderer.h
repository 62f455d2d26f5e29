#pragma once
// Draws a display tree into a picture: matrices and colour transforms concatenated down the tree,
// masks by clip depth, layers for blend modes, filters and cached bitmaps. Keeps its layers and the
// shape renderer's scratch memory between frames.
#include <memory>
#include <vector>

#include "player/display/DisplayObject.h"
#include "player/render/PixelBuffer.h"
#include "player/shape/ShapeApi.h"

namespace kelmora::player {

struct ShapeDef;

class PlayContext;

class FrameRenderer {
public:
    FrameRenderer();
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // Draws `list` over what `target` holds. toPixels maps the stage's twips to target pixels.
    // drawing: what scripts drew on the level's root, under its children.
    void render(const DisplayList& list, const PlayContext& context, const Matrix& toPixels, PixelBuffer& target,
                const ShapeDef* drawing = nullptr);
    ShapeRenderer& shapes() { return shapes_; }

private:
    void renderList(const DisplayList& list, const Matrix& m, const ColorTransform& cx, PixelBuffer& target,
                    bool maskMode, int level);
    void renderObject(const DisplayObject& object, const Matrix& parent, const ColorTransform& parentCx,
                      PixelBuffer& target, bool maskMode, int level);
    void drawContent(const DisplayObject& object, const Matrix& m, const ColorTransform& cx, PixelBuffer& target,
                     bool maskMode, int level);
    // A clip with a scrollRect: its drawing moved by the rect and cut to it.
    void drawScrolled(const MovieClip& clip, const Matrix& m, const ColorTransform& cx, PixelBuffer& target,
                      bool maskMode, int level);
    PixelBuffer& acquireLayer(int width, int height);
    void releaseLayer();

    ShapeRenderer shapes_;
    const PlayContext* context_ = nullptr;
    Matrix toPixels_;
    double stageScale_ = 1;
    std::vector<std::unique_ptr<PixelBuffer>> layers_;
    size_t layersInUse_ = 0;
    int blendLayers_ = 0;  // enclosing objects drawn through a blend layer
};

}  // namespace kelmora::player
