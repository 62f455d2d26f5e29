// FILTERLIST records of PlaceObject3 and the room the filters need around a picture.
#include <cmath>

#include "player/render/EffectsApi.h"
#include "player/render/FilterGeometry.h"

namespace kelmora::player {

namespace {

double readBlur(BitReader& r) {
    double v = r.fixed16();
    return std::isfinite(v) ? std::clamp(v, 0.0, kMaxBlur) : 0.0;
}

double readDistance(BitReader& r) { return std::clamp(r.fixed16(), -kMaxFilterReach, kMaxFilterReach); }

void readGradient(BitReader& r, Filter& f) {
    int n = r.u8();
    f.gradient.resize(static_cast<size_t>(n));
    for (auto& stop : f.gradient) stop.color = r.rgba();
    for (auto& stop : f.gradient) stop.ratio = r.u8();
}

// One filter record; false when the kind is unknown (its length is unknown too, so the list ends).
// What bevels and gradient filters store after their colours.
void readBevelRest(BitReader& r, Filter& f) {
    f.blurX = readBlur(r); f.blurY = readBlur(r);
    f.angle = r.fixed16(); f.distance = readDistance(r);
    f.strength = r.fixed8();
    f.inner = r.flag(); f.knockout = r.flag(); f.compositeSource = r.flag(); f.onTop = r.flag();
    f.passes = static_cast<int>(r.ub(4));
}

bool readFilter(BitReader& r, Filter& f) {
    uint8_t id = r.u8();
    if (id > 7) return false;
    f.kind = static_cast<Filter::Kind>(id);
    switch (f.kind) {
    case Filter::Kind::DropShadow:
        f.color = r.rgba();
        f.blurX = readBlur(r); f.blurY = readBlur(r);
        f.angle = r.fixed16(); f.distance = readDistance(r);
        f.strength = r.fixed8();
        f.inner = r.flag(); f.knockout = r.flag(); f.compositeSource = r.flag();
        f.passes = static_cast<int>(r.ub(5));
        break;
    case Filter::Kind::Blur:
        f.blurX = readBlur(r); f.blurY = readBlur(r);
        f.passes = static_cast<int>(r.ub(5));
        r.ub(3);
        break;
    case Filter::Kind::Glow:
        f.color = r.rgba();
        f.blurX = readBlur(r); f.blurY = readBlur(r);
        f.strength = r.fixed8();
        f.inner = r.flag(); f.knockout = r.flag(); f.compositeSource = r.flag();
        f.passes = static_cast<int>(r.ub(5));
        break;
    case Filter::Kind::Bevel:
        // Highlight first: Flash writes the colours the other way round from how they are often
        // documented (an angle of 0 puts the shadow colour on the right-hand edge).
        f.highlight = r.rgba();
        f.color = r.rgba();      // shadow
        readBevelRest(r, f);
        break;
    case Filter::Kind::GradientGlow:
    case Filter::Kind::GradientBevel:
        readGradient(r, f);
        readBevelRest(r, f);
        break;
    case Filter::Kind::Convolution: {
        f.matrixX = r.u8(); f.matrixY = r.u8();
        f.divisor = r.f32(); f.bias = r.f32();
        size_t n = static_cast<size_t>(f.matrixX) * static_cast<size_t>(f.matrixY);
        // Never size by the count alone: a cut record must not cost more than its bytes.
        if (n * 4 > r.remaining()) { r.skip(n * 4); return true; }
        f.matrix.resize(n);
        for (auto& v : f.matrix) v = r.f32();
        f.defaultColor = r.rgba();
        r.ub(6);
        f.clamp = r.flag(); f.preserveAlpha = r.flag();
        break;
    }
    case Filter::Kind::ColorMatrix:
        f.matrix.resize(20);
        for (auto& v : f.matrix) v = r.f32();
        break;
    }
    r.align();
    return true;
}

bool usable(const Filter& f) {
    if (f.kind == Filter::Kind::Convolution)
        return f.matrixX > 0 && f.matrixY > 0 && f.matrixX <= kMaxConvolutionSide && f.matrixY <= kMaxConvolutionSide;
    return true;
}

}  // namespace

std::vector<Filter> readFilterList(BitReader& reader) {
    std::vector<Filter> filters;
    int count = reader.u8();
    for (int i = 0; i < count && !reader.failed(); ++i) {
        Filter f;
        if (!readFilter(reader, f)) break;
        if (reader.failed()) break;
        if (usable(f) && static_cast<int>(filters.size()) < kMaxFilters) filters.push_back(std::move(f));
    }
    return filters;
}

Rect filterMargins(const std::vector<Filter>& filters, double scaleX, double scaleY) {
    Rect m;
    for (const auto& f : filters) {
        if (f.kind == Filter::Kind::ColorMatrix) continue;
        if (f.kind == Filter::Kind::Convolution) continue;  // keeps the layer's size
        // Inner effects draw only inside the picture, but they read the blurred alpha around it.
        FilterGeometry g = filterGeometry(f, scaleX, scaleY);
        int bx = g.blurReachX, by = g.blurReachY;
        int left = bx, right = bx, top = by, bottom = by;
        bool twoSided = f.kind == Filter::Kind::Bevel || f.kind == Filter::Kind::GradientBevel;
        if (twoSided) {
            int ox = std::abs(g.offsetX), oy = std::abs(g.offsetY);
            left += ox; right += ox; top += oy; bottom += oy;
        } else {
            left += std::max(0, -g.offsetX); right += std::max(0, g.offsetX);
            top += std::max(0, -g.offsetY); bottom += std::max(0, g.offsetY);
        }
        m.xMin += left; m.xMax += right; m.yMin += top; m.yMax += bottom;
    }
    m.xMin = std::min(m.xMin, kMaxFilterGrowth); m.xMax = std::min(m.xMax, kMaxFilterGrowth);
    m.yMin = std::min(m.yMin, kMaxFilterGrowth); m.yMax = std::min(m.yMax, kMaxFilterGrowth);
    return m;
}

}  // namespace kelmora::player
