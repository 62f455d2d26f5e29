// Drawing shapes: fills through AGG's compound rasteriser (each edge with its left and right
// fill, so abutting fills share coverage exactly and leave no seams), then strokes.
#include <cmath>
#include <vector>

#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_compound_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_bin.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_trans_affine.h>

#include "player/render/FillPaint.h"
#include "player/render/RasterCurves.h"
#include "player/render/StrokeWidth.h"
#include "player/shape/MorphShapeDef.h"
#include "player/shape/ShapeApi.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {

namespace {

constexpr double kFillTolerance = 0.2;    // pixels
constexpr double kStrokeTolerance = 0.2;  // pixels

bool finiteMatrix(const Matrix& m) {
    return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
           std::isfinite(m.tx) && std::isfinite(m.ty);
}

bool samePoint(Point a, Point b) { return std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6; }

agg::line_cap_e aggCap(CapStyle c) {
    return c == CapStyle::None ? agg::butt_cap : c == CapStyle::Square ? agg::square_cap : agg::round_cap;
}
agg::line_join_e aggJoin(JoinStyle j) {
    return j == JoinStyle::Bevel ? agg::bevel_join : j == JoinStyle::Miter ? agg::miter_join : agg::round_join;
}

}  // namespace

struct ShapeRenderer::Impl {
    using Rasterizer = agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl>;
    using PixelFormat = agg::pixfmt_bgra32_pre;
    using BaseRenderer = agg::renderer_base<PixelFormat>;

    Rasterizer ras;
    agg::scanline_u8 scanline;
    agg::scanline_bin scanlineBin;
    agg::span_allocator<agg::rgba8> spans;
    FillStyleHandler handler;
    std::vector<GradientRamp> ramps;
    agg::path_storage strokePath;
    agg::conv_stroke<agg::path_storage> stroker{strokePath};
    ShapeLayer morphLayer;

    void drawLayer(const ShapeLayer& layer, const Matrix& m, const ColorTransform& cx, PixelBuffer& target,
                   const BitmapProvider* bitmaps, const Rgba* solid);
    void resolvePaints(const ShapeLayer& layer, const Matrix& m, const ColorTransform& cx,
                       const BitmapProvider* bitmaps, const Rgba* solid);
    void addFillEdges(const ShapeLayer& layer, const Matrix& m);
    // Builds the outline path of one line style's edges; false when there is nothing to stroke.
    bool buildStrokePath(const ShapeLayer& layer, const uint32_t* order, size_t count, const LineStyle& style,
                         double tolerance);
};

void ShapeRenderer::Impl::resolvePaints(const ShapeLayer& layer, const Matrix& m, const ColorTransform& cx,
                                        const BitmapProvider* bitmaps, const Rgba* solid) {
    size_t nf = layer.fills.size(), nl = layer.lines.size();
    handler.paints.resize(nf + nl);
    if (ramps.size() < nf + nl) ramps.resize(nf + nl);
    if (solid) {
        FillPaint p;
        p.kind = FillPaint::Kind::Solid;
        p.color = premultipliedColor(*solid);
        std::fill(handler.paints.begin(), handler.paints.end(), p);
        return;
    }
    for (size_t i = 0; i < nf; ++i) handler.paints[i] = resolveFillPaint(layer.fills[i], m, cx, bitmaps, ramps[i]);
    for (size_t i = 0; i < nl; ++i) {
        const LineStyle& line = layer.lines[i];
        FillPaint& p = handler.paints[nf + i];
        if (line.hasFill) {
            p = resolveFillPaint(line.fill, m, cx, bitmaps, ramps[nf + i]);
        } else {
            p = FillPaint{};
            p.kind = FillPaint::Kind::Solid;
            p.color = premultipliedColor(cx.apply(line.color));
        }
    }
}

void ShapeRenderer::Impl::addFillEdges(const ShapeLayer& layer, const Matrix& m) {
    bool open = false;
    Point last;
    int lastLeft = -2, lastRight = -2;
    for (const ShapeEdge& e : layer.edges) {
        if (e.fill0 == e.fill1) continue;
        int left = int(e.fill0) - 1, right = int(e.fill1) - 1;
        Point p0 = m.apply(e.from), p1 = m.apply(e.to);
        if (!open || left != lastLeft || right != lastRight || !samePoint(e.from, last)) {
            ras.styles(left, right);
            ras.move_to_d(p0.x, p0.y);
            open = true;
            lastLeft = left;
            lastRight = right;
        }
        if (e.curved) {
            flattenCurve(p0, m.apply(e.control), p1, kFillTolerance, [this](double x, double y) { ras.line_to_d(x, y); });
        } else {
            ras.line_to_d(p1.x, p1.y);
        }
        last = e.to;
    }
}

bool ShapeRenderer::Impl::buildStrokePath(const ShapeLayer& layer, const uint32_t* order, size_t count,
                                          const LineStyle& style, double tolerance) {
    strokePath.remove_all();
    bool open = false, any = false;
    Point start, last;
    auto endSubpath = [&] {
        if (open && samePoint(start, last) && !style.noClose) strokePath.close_polygon();
        open = false;
    };
    for (size_t k = 0; k < count; ++k) {
        const ShapeEdge& e = layer.edges[order[k]];
        if (!open || !samePoint(e.from, last)) {
            endSubpath();
            strokePath.move_to(e.from.x, e.from.y);
            start = e.from;
            open = true;
        }
        if (e.curved) {
            flattenCurve(e.from, e.control, e.to, tolerance, [this](double x, double y) { strokePath.line_to(x, y); });
        } else {
            strokePath.line_to(e.to.x, e.to.y);
        }
        last = e.to;
        any = true;
    }
    endSubpath();
    return any;
}

void ShapeRenderer::Impl::drawLayer(const ShapeLayer& layer, const Matrix& m, const ColorTransform& cx,
                                    PixelBuffer& target, const BitmapProvider* bitmaps, const Rgba* solid) {
    if (!layer.hasFillEdges && layer.strokeOrder.empty()) return;
    resolvePaints(layer, m, cx, bitmaps, solid);

    agg::rendering_buffer buffer(reinterpret_cast<uint8_t*>(target.data()), unsigned(target.width()),
                                 unsigned(target.height()), target.stride() * 4);
    PixelFormat pixels(buffer);
    BaseRenderer renderer(pixels);

    if (layer.hasFillEdges) {
        ras.reset();
        ras.clip_box(0, 0, target.width(), target.height());
        addFillEdges(layer, m);
        agg::render_scanlines_compound(ras, scanline, scanlineBin, renderer, spans, handler);
    }

    if (layer.strokeOrder.empty()) return;
    StrokeScale scale = strokeScale(m);
    if (!scale.valid()) return;
    agg::trans_affine toPixels(m.a, m.b, m.c, m.d, m.tx, m.ty);
    agg::conv_transform<agg::conv_stroke<agg::path_storage>> outline(stroker, toPixels);
    const size_t nf = layer.fills.size();
    const auto& order = layer.strokeOrder;
    for (size_t begin = 0; begin < order.size();) {
        uint16_t lineIndex = layer.edges[order[begin]].line;
        size_t end = begin;
        while (end < order.size() && layer.edges[order[end]].line == lineIndex) ++end;
        const LineStyle& style = layer.lines[lineIndex - 1];
        if (buildStrokePath(layer, order.data() + begin, end - begin, style, kStrokeTolerance / scale.largest)) {
            stroker.width(strokeWidthInShapeUnits(style, scale));
            stroker.line_cap(aggCap(style.startCap));
            stroker.line_join(aggJoin(style.join));
            stroker.miter_limit(style.miterLimit);
            stroker.approximation_scale(scale.largest);
            ras.reset();
            ras.clip_box(0, 0, target.width(), target.height());
            ras.styles(int(nf + lineIndex - 1), -1);
            ras.add_path(outline);
            agg::render_scanlines_compound(ras, scanline, scanlineBin, renderer, spans, handler);
        }
        begin = end;
    }
}

ShapeRenderer::ShapeRenderer() : impl_(std::make_unique<Impl>()) {}
ShapeRenderer::~ShapeRenderer() = default;

void ShapeRenderer::draw(const ShapeDef& shape, const Matrix& toPixels, const ColorTransform& cx, PixelBuffer& target,
                         const BitmapProvider* bitmaps) {
    if (target.empty() || !finiteMatrix(toPixels)) return;
    for (const ShapeLayer& layer : shape.layers) impl_->drawLayer(layer, toPixels, cx, target, bitmaps, nullptr);
}

void ShapeRenderer::drawMorph(const MorphShapeDef& morph, double ratio, const Matrix& toPixels,
                              const ColorTransform& cx, PixelBuffer& target, const BitmapProvider* bitmaps) {
    if (target.empty() || !finiteMatrix(toPixels)) return;
    interpolateMorph(morph, ratio, impl_->morphLayer);
    impl_->drawLayer(impl_->morphLayer, toPixels, cx, target, bitmaps, nullptr);
}

void ShapeRenderer::drawSolid(const ShapeDef& shape, const Matrix& toPixels, Rgba color, PixelBuffer& target) {
    if (target.empty() || !finiteMatrix(toPixels)) return;
    for (const ShapeLayer& layer : shape.layers) impl_->drawLayer(layer, toPixels, {}, target, nullptr, &color);
}

}  // namespace kelmora::player
