#include "swf/writer/ShapeBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <stdexcept>

namespace kelmora::swf {

namespace {

// An edge record holds deltas up to 17 signed bits.
constexpr std::int32_t kMaxDelta = 65535;

}  // namespace

std::vector<FillStyle>& ShapeBuilder::fills() {
    if (stylesRecord_ == SIZE_MAX) return shape_.fills;
    return std::get<StyleChange>(shape_.records[stylesRecord_]).newStyles->fills;
}

std::vector<LineStyle>& ShapeBuilder::lines() {
    if (stylesRecord_ == SIZE_MAX) return shape_.lines;
    return std::get<StyleChange>(shape_.records[stylesRecord_]).newStyles->lines;
}

std::uint32_t ShapeBuilder::addFill(const FillStyle& fill) {
    fills().push_back(fill);
    return static_cast<std::uint32_t>(fills().size());
}

std::uint32_t ShapeBuilder::addLine(const LineStyle& line) {
    lines().push_back(line);
    return static_cast<std::uint32_t>(lines().size());
}

ShapeBuilder& ShapeBuilder::newStyles() {
    flushPending();
    StyleChange sc;
    sc.newStyles = NewStyles{};
    shape_.records.emplace_back(std::move(sc));
    stylesRecord_ = shape_.records.size() - 1;
    currentLine_ = 0;
    return *this;
}

StyleChange& ShapeBuilder::pending() {
    if (!pending_) pending_ = StyleChange{};
    return *pending_;
}

void ShapeBuilder::flushPending() {
    if (pending_) shape_.records.emplace_back(std::move(*pending_));
    pending_.reset();
}

ShapeBuilder& ShapeBuilder::fill0(std::uint32_t index) {
    pending().fill0 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::fill1(std::uint32_t index) {
    pending().fill1 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::line(std::uint32_t index) {
    pending().line = index;
    currentLine_ = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::moveTo(std::int32_t x, std::int32_t y) {
    pending().moveX = x;
    pending().moveY = y;
    penX_ = x;
    penY_ = y;
    return *this;
}

void ShapeBuilder::include(std::int32_t x, std::int32_t y) {
    if (!anyEdge_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        anyEdge_ = true;
        return;
    }
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
}

ShapeBuilder& ShapeBuilder::lineTo(std::int32_t x, std::int32_t y) {
    flushPending();
    if (currentLine_ != 0 && currentLine_ <= lines().size())
        widestLine_ = std::max(widestLine_, lines()[currentLine_ - 1].width);
    include(penX_, penY_);
    const std::int64_t dx = static_cast<std::int64_t>(x) - penX_;
    const std::int64_t dy = static_cast<std::int64_t>(y) - penY_;
    const std::int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    const std::int64_t pieces = std::max<std::int64_t>(1, (longest + kMaxDelta - 1) / kMaxDelta);
    std::int32_t fromX = penX_, fromY = penY_;
    for (std::int64_t i = 1; i <= pieces; ++i) {
        const auto toX = static_cast<std::int32_t>(penX_ + dx * i / pieces);
        const auto toY = static_cast<std::int32_t>(penY_ + dy * i / pieces);
        shape_.records.emplace_back(StraightEdge{toX - fromX, toY - fromY});
        fromX = toX;
        fromY = toY;
    }
    penX_ = x;
    penY_ = y;
    include(x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::curveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t anchorX,
                                    std::int32_t anchorY) {
    flushPending();
    if (currentLine_ != 0 && currentLine_ <= lines().size())
        widestLine_ = std::max(widestLine_, lines()[currentLine_ - 1].width);
    const std::int64_t span = std::max({std::llabs(static_cast<std::int64_t>(controlX) - penX_),
                                        std::llabs(static_cast<std::int64_t>(controlY) - penY_),
                                        std::llabs(static_cast<std::int64_t>(anchorX) - controlX),
                                        std::llabs(static_cast<std::int64_t>(anchorY) - controlY)});
    if (span > kMaxDelta) {
        // Split at t = 0.5 (de Casteljau) until each half fits a record.
        const std::int32_t c1x = static_cast<std::int32_t>((static_cast<std::int64_t>(penX_) + controlX) / 2);
        const std::int32_t c1y = static_cast<std::int32_t>((static_cast<std::int64_t>(penY_) + controlY) / 2);
        const std::int32_t c2x = static_cast<std::int32_t>((static_cast<std::int64_t>(controlX) + anchorX) / 2);
        const std::int32_t c2y = static_cast<std::int32_t>((static_cast<std::int64_t>(controlY) + anchorY) / 2);
        const std::int32_t midX = static_cast<std::int32_t>((static_cast<std::int64_t>(c1x) + c2x) / 2);
        const std::int32_t midY = static_cast<std::int32_t>((static_cast<std::int64_t>(c1y) + c2y) / 2);
        curveTo(c1x, c1y, midX, midY);
        return curveTo(c2x, c2y, anchorX, anchorY);
    }
    include(penX_, penY_);
    include(anchorX, anchorY);
    // The curve's own extremes, not its control point, so bounds match what is drawn.
    for (int axis = 0; axis < 2; ++axis) {
        const double p0 = axis == 0 ? penX_ : penY_;
        const double p1 = axis == 0 ? controlX : controlY;
        const double p2 = axis == 0 ? anchorX : anchorY;
        const double denom = p0 - 2 * p1 + p2;
        if (denom == 0) continue;
        const double t = (p0 - p1) / denom;
        if (t <= 0 || t >= 1) continue;
        auto at = [t](double a, double b, double c) { return (1 - t) * (1 - t) * a + 2 * (1 - t) * t * b + t * t * c; };
        include(static_cast<std::int32_t>(std::lround(at(penX_, controlX, anchorX))),
                static_cast<std::int32_t>(std::lround(at(penY_, controlY, anchorY))));
    }
    shape_.records.emplace_back(CurvedEdge{controlX - penX_, controlY - penY_, anchorX - controlX, anchorY - controlY});
    penX_ = anchorX;
    penY_ = anchorY;
    return *this;
}

ShapeBuilder& ShapeBuilder::moveToPx(double x, double y) { return moveTo(pixelsToTwips(x), pixelsToTwips(y)); }

ShapeBuilder& ShapeBuilder::lineToPx(double x, double y) { return lineTo(pixelsToTwips(x), pixelsToTwips(y)); }

ShapeBuilder& ShapeBuilder::curveToPx(double controlX, double controlY, double anchorX, double anchorY) {
    return curveTo(pixelsToTwips(controlX), pixelsToTwips(controlY), pixelsToTwips(anchorX), pixelsToTwips(anchorY));
}

ShapeBuilder& ShapeBuilder::rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    moveTo(x, y);
    lineTo(x + width, y);
    lineTo(x + width, y + height);
    lineTo(x, y + height);
    return lineTo(x, y);
}

ShapeBuilder& ShapeBuilder::rectPx(double x, double y, double width, double height) {
    const auto x0 = pixelsToTwips(x), y0 = pixelsToTwips(y);
    return rect(x0, y0, pixelsToTwips(x + width) - x0, pixelsToTwips(y + height) - y0);
}

ShapeBuilder& ShapeBuilder::ellipse(std::int32_t centerX, std::int32_t centerY, std::int32_t radiusX,
                                    std::int32_t radiusY) {
    constexpr int kSegments = 8;
    const double step = 2.0 * std::numbers::pi / kSegments;
    const double controlScale = 1.0 / std::cos(step / 2.0);
    auto at = [&](double angle, double scale) {
        return std::pair<std::int32_t, std::int32_t>{
            centerX + static_cast<std::int32_t>(std::lround(radiusX * scale * std::cos(angle))),
            centerY + static_cast<std::int32_t>(std::lround(radiusY * scale * std::sin(angle)))};
    };
    const auto start = at(0.0, 1.0);
    moveTo(start.first, start.second);
    for (int i = 0; i < kSegments; ++i) {
        const auto control = at(step * (i + 0.5), controlScale);
        const auto anchor = i + 1 == kSegments ? start : at(step * (i + 1), 1.0);
        curveTo(control.first, control.second, anchor.first, anchor.second);
    }
    return *this;
}

ShapeBuilder& ShapeBuilder::circlePx(double centerX, double centerY, double radius) {
    return circle(pixelsToTwips(centerX), pixelsToTwips(centerY), pixelsToTwips(radius));
}

ShapeBuilder& ShapeBuilder::polygon(const std::vector<std::pair<std::int32_t, std::int32_t>>& points) {
    if (points.empty()) return *this;
    moveTo(points.front().first, points.front().second);
    for (std::size_t i = 1; i < points.size(); ++i) lineTo(points[i].first, points[i].second);
    return lineTo(points.front().first, points.front().second);
}

ShapeBuilder& ShapeBuilder::record(const ShapeRecord& r) {
    flushPending();
    shape_.records.push_back(r);
    return *this;
}

Shape ShapeBuilder::filledRect(const Rect& twips, Rgba color) {
    ShapeBuilder b;
    b.fill0(b.addFill(FillStyle::solid(color)));
    b.rect(twips.xMin, twips.yMin, twips.xMax - twips.xMin, twips.yMax - twips.yMin);
    return b.build();
}

Shape ShapeBuilder::filledRectPx(double x, double y, double width, double height, Rgba color) {
    ShapeBuilder b;
    b.fill0(b.addFill(FillStyle::solid(color)));
    b.rectPx(x, y, width, height);
    return b.build();
}

Shape ShapeBuilder::filledCirclePx(double centerX, double centerY, double radius, Rgba color) {
    ShapeBuilder b;
    b.fill0(b.addFill(FillStyle::solid(color)));
    b.circlePx(centerX, centerY, radius);
    return b.build();
}

Shape ShapeBuilder::build() const {
    Shape s = shape_;
    if (pending_) s.records.push_back(*pending_);
    s.usesFillWindingRule = winding_;
    if (anyEdge_) {
        s.edgeBounds = Rect{minX_, maxX_, minY_, maxY_};
        const std::int32_t half = (widestLine_ + 1) / 2;
        s.bounds = Rect{minX_ - half, maxX_ + half, minY_ - half, maxY_ + half};
    }
    return s;
}

}  // namespace kelmora::swf
