#pragma once
// Builds a ShapeDef from code: device-font outlines, the script drawing API, tests.
// Coordinates are twips. Style indexes are 1-based as in the file format (0: none).
#include <cstdint>
#include <memory>

#include "player/shape/ShapeDef.h"

namespace kelmora::player {

class PathBuilder {
public:
    PathBuilder();

    uint16_t addFill(const FillStyle& fill);
    uint16_t addSolidFill(Rgba color);
    uint16_t addLine(const LineStyle& line);
    uint16_t addLine(uint16_t widthTwips, Rgba color);

    // The styles for the edges that follow (fill0 on the left, fill1 on the right).
    void setStyles(uint16_t fill0, uint16_t fill1, uint16_t line);
    void setFill0(uint16_t fill);
    void setFill1(uint16_t fill);
    void setLine(uint16_t line);
    // Starts a new style array (a new layer, drawn above everything before); styles reset to 0.
    void newStyles();

    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point control, Point p);  // quadratic
    void cubicTo(Point c1, Point c2, Point p);  // split into quadratics
    // A line back to the last moveTo point when the pen is elsewhere (closes a fill).
    void closePath();

    Point pen() const { return pen_; }
    bool empty() const;
    // The shape built so far; bounds are those of the edges grown by half the widest line.
    std::shared_ptr<ShapeDef> build() const;

private:
    std::shared_ptr<ShapeDef> shape_;
    Point pen_, start_;
    uint16_t fill0_ = 0, fill1_ = 0, line_ = 0;

    ShapeLayer& layer() { return shape_->layers.back(); }
    void addEdge(const ShapeEdge& e);
    void cubicPart(Point p0, Point c1, Point c2, Point p3, int depth);
};

}  // namespace kelmora::player
