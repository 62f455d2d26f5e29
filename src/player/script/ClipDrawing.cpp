#include "player/script/ClipDrawing.h"

#include <algorithm>
#include <cmath>

#include "player/shape/PathBuilder.h"

namespace kelmora::player::script {
namespace {

// Scripts can draw without end; past this the clip keeps what it has.
constexpr size_t kMaxSegments = 1'000'000;

Rgba colorOf(uint32_t rgb, double alphaPercent) {
    const double a = std::isnan(alphaPercent) ? 100 : std::clamp(alphaPercent, 0.0, 100.0);
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb),
            static_cast<uint8_t>(std::lround(a * 255 / 100))};
}

double twips(double pixels) {
    if (!std::isfinite(pixels)) return 0;
    return std::clamp(pixels, -1e7, 1e7) * kTwipsPerPixel;
}

FillStyle gradientFill(const avm1::DrawCommand& c) {
    FillStyle f;
    const bool focal = c.radial && c.focalPoint != 0;
    f.kind = focal ? FillStyle::Kind::FocalGradient
             : c.radial ? FillStyle::Kind::RadialGradient
                        : FillStyle::Kind::LinearGradient;
    // The command's matrix works in pixels; the style's in twips.
    f.matrix = {c.matrix.a, c.matrix.b, c.matrix.c, c.matrix.d, twips(c.matrix.tx), twips(c.matrix.ty)};
    f.gradient.spread = c.spread == 1 ? SpreadMode::Reflect : c.spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    f.gradient.interpolation = c.linearRgb ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    // Kept in 8.8 fixed point, like the focal point of a shape in a file.
    if (focal) f.gradient.focalPoint = std::trunc(c.focalPoint * 256) / 256;
    for (size_t i = 0; i < c.colors.size() && i < 15; ++i) {
        const double ratio = i < c.ratios.size() ? c.ratios[i] : 255;
        f.gradient.stops.push_back({static_cast<uint8_t>(std::lround(std::clamp(ratio, 0.0, 255.0))),
                                    colorOf(c.colors[i], i < c.alphas.size() ? c.alphas[i] : 100)});
    }
    buildGradientRamp(f.gradient, f.ramp);
    return f;
}

}  // namespace

ClipDrawing::Group& ClipDrawing::current() {
    if (groups_.empty() || (!fillOpen_ && groups_.back().fill >= 0)) groups_.push_back({});
    return groups_.back();
}

void ClipDrawing::add(Segment s) {
    Group& g = current();
    size_t total = 0;
    for (const Group& each : groups_) total += each.segments.size();
    if (total >= kMaxSegments) return;
    g.segments.push_back(s);
    changed_ = true;
}

void ClipDrawing::closeFill() {
    if (!fillOpen_) return;
    // An open fill is closed with a line back to where it began, in the line style in force.
    if (pen_.x != fillStart_.x || pen_.y != fillStart_.y) add({{}, fillStart_, false, false, line_});
    pen_ = fillStart_;
    fillOpen_ = false;
    changed_ = true;
}

void ClipDrawing::apply(const avm1::DrawCommand& c) {
    using Kind = avm1::DrawCommand::Kind;
    switch (c.kind) {
    case Kind::Clear:
        *this = ClipDrawing{};
        changed_ = true;
        break;
    case Kind::LineStyle:
        if (c.thickness < 0) {
            line_ = 0;
        } else {
            LineStyle l;
            l.width = static_cast<uint16_t>(std::lround(std::clamp(c.thickness, 0.0, 255.0) * kTwipsPerPixel));
            l.color = colorOf(c.rgb, c.alpha);
            lines_.push_back(l);
            line_ = static_cast<int>(lines_.size());
        }
        break;
    case Kind::BeginFill:
    case Kind::BeginGradientFill: {
        closeFill();
        FillStyle f;
        if (c.kind == Kind::BeginFill) {
            f.color = colorOf(c.rgb, c.alpha);
        } else {
            if (c.colors.empty()) break;
            f = gradientFill(c);
        }
        fills_.push_back(f);
        groups_.push_back({static_cast<int>(fills_.size()), {}});
        fillOpen_ = true;
        fillStart_ = pen_;
        groups_.back().segments.push_back({{}, pen_, false, true, 0});
        changed_ = true;
        break;
    }
    case Kind::LineGradientStyle:
        // Paints the line style in force with a gradient from here on.
        if (line_ > 0 && !c.colors.empty() && lines_.size() < kMaxSegments) {
            LineStyle l = lines_[static_cast<size_t>(line_ - 1)];
            l.hasFill = true;
            l.fill = gradientFill(c);
            lines_.push_back(l);
            line_ = static_cast<int>(lines_.size());
        }
        break;
    case Kind::EndFill:
        closeFill();
        break;
    case Kind::MoveTo:
        pen_ = {twips(c.x), twips(c.y)};
        if (fillOpen_) fillStart_ = pen_;
        add({{}, pen_, false, true, 0});
        break;
    case Kind::LineTo:
        pen_ = {twips(c.x), twips(c.y)};
        add({{}, pen_, false, false, line_});
        break;
    case Kind::CurveTo:
        pen_ = {twips(c.x), twips(c.y)};
        add({{twips(c.cx), twips(c.cy)}, pen_, true, false, line_});
        break;
    }
}

std::shared_ptr<const ShapeDef> ClipDrawing::shape() const {
    PathBuilder b;
    bool any = false;
    for (const Group& g : groups_) {
        // Each fill and the lines drawn with it lie above everything drawn before.
        b.newStyles();
        uint16_t fill = 0;
        if (g.fill > 0) fill = b.addFill(fills_[static_cast<size_t>(g.fill - 1)]);
        std::vector<uint16_t> lineIds(lines_.size() + 1, 0);
        Point start{}, pen{};
        for (const Segment& s : g.segments) {
            if (s.move) {
                // A fill left open by a move is closed where it began.
                if (fill && (pen.x != start.x || pen.y != start.y)) {
                    b.setStyles(fill, 0, 0);
                    b.lineTo(start);
                }
                b.moveTo(s.to);
                start = pen = s.to;
                continue;
            }
            uint16_t line = 0;
            if (s.line > 0) {
                auto& id = lineIds[static_cast<size_t>(s.line)];
                if (!id) id = b.addLine(lines_[static_cast<size_t>(s.line - 1)]);
                line = id;
            }
            b.setStyles(fill, 0, line);
            if (s.curved) b.curveTo(s.control, s.to);
            else b.lineTo(s.to);
            pen = s.to;
            any = true;
        }
        if (fill && (pen.x != start.x || pen.y != start.y)) {
            b.setStyles(fill, 0, 0);
            b.lineTo(start);
        }
    }
    if (!any) return nullptr;
    return b.build();
}

}  // namespace kelmora::player::script
