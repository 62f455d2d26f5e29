#pragma once
// Builds a Shape by drawing: pen moves, straight and curved edges, style selections.
// Coordinates are twips; the *Px variants take movie pixels (1 px = 20 twips).
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "swf/writer/Shape.h"

namespace kelmora::swf {

class ShapeBuilder {
public:
    // Adds a style to the style arrays in force (the initial ones, or the latest newStyles())
    // and returns its 1-based index.
    std::uint32_t addFill(const FillStyle& fill);
    std::uint32_t addLine(const LineStyle& line);
    // Starts new style arrays mid-shape (DefineShape2 and later); indices count from 1 again.
    ShapeBuilder& newStyles();

    ShapeBuilder& fill0(std::uint32_t index);
    ShapeBuilder& fill1(std::uint32_t index);
    ShapeBuilder& line(std::uint32_t index);
    // Convenience: fill0 + fill1(0) + line(0) selections for simple closed paths.
    ShapeBuilder& fillOnly(std::uint32_t fillIndex) { return fill0(fillIndex).fill1(0).line(0); }

    ShapeBuilder& moveTo(std::int32_t x, std::int32_t y);
    ShapeBuilder& lineTo(std::int32_t x, std::int32_t y);
    ShapeBuilder& curveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t anchorX, std::int32_t anchorY);
    ShapeBuilder& moveToPx(double x, double y);
    ShapeBuilder& lineToPx(double x, double y);
    ShapeBuilder& curveToPx(double controlX, double controlY, double anchorX, double anchorY);

    // Closed outlines drawn with the styles in force, starting with a move.
    ShapeBuilder& rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    ShapeBuilder& rectPx(double x, double y, double width, double height);
    // Eight quadratic curves.
    ShapeBuilder& ellipse(std::int32_t centerX, std::int32_t centerY, std::int32_t radiusX, std::int32_t radiusY);
    ShapeBuilder& circle(std::int32_t centerX, std::int32_t centerY, std::int32_t radius) {
        return ellipse(centerX, centerY, radius, radius);
    }
    ShapeBuilder& circlePx(double centerX, double centerY, double radius);
    ShapeBuilder& polygon(const std::vector<std::pair<std::int32_t, std::int32_t>>& points);

    // Raw record access for odd shapes a test wants to write exactly.
    ShapeBuilder& record(const ShapeRecord& r);

    ShapeBuilder& fillWindingRule(bool on = true) {
        winding_ = on;
        return *this;
    }

    // One-colour shapes without outline, the everyday test shapes.
    static Shape filledRect(const Rect& twips, Rgba color);
    static Shape filledRectPx(double x, double y, double width, double height, Rgba color);
    static Shape filledCirclePx(double centerX, double centerY, double radius, Rgba color);

    std::pair<std::int32_t, std::int32_t> pen() const { return {penX_, penY_}; }

    // The shape so far; edge bounds hold every edge (curves by their extremes), and the shape
    // bounds add half the widest line drawn.
    Shape build() const;

private:
    StyleChange& pending();
    void flushPending();
    void include(std::int32_t x, std::int32_t y);
    std::vector<FillStyle>& fills();
    std::vector<LineStyle>& lines();

    Shape shape_;
    std::optional<StyleChange> pending_;
    std::int32_t penX_ = 0, penY_ = 0;
    std::uint32_t currentLine_ = 0;
    std::uint16_t widestLine_ = 0;
    bool anyEdge_ = false;
    bool winding_ = false;
    std::int32_t minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    std::size_t stylesRecord_ = SIZE_MAX;  // index of the record holding the newest styles
};

}  // namespace kelmora::swf
