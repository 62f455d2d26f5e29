#pragma once
// Geometry and colour values shared by every part of the engine. Positions are in twips
// (1/20 pixel) unless a name says otherwise.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kelmora::player {

struct Point {
    double x = 0, y = 0;
};

// Affine transform: x' = a*x + c*y + tx, y' = b*x + d*y + ty (SWF's ScaleX=a, RotateSkew0=b,
// RotateSkew1=c, ScaleY=d).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Point applyVector(Point p) const { return {a * p.x + c * p.y, b * p.x + d * p.y}; }
    // (*this) * m: apply m first, then this.
    Matrix operator*(const Matrix& m) const {
        return {a * m.a + c * m.b, b * m.a + d * m.b, a * m.c + c * m.d, b * m.c + d * m.d,
                a * m.tx + c * m.ty + tx, b * m.tx + d * m.ty + ty};
    }
    double determinant() const { return a * d - b * c; }
    bool invertible() const { return std::abs(determinant()) > 1e-12; }
    Matrix inverted() const {
        double det = determinant();
        if (std::abs(det) <= 1e-12) return {0, 0, 0, 0, -tx, -ty};
        double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
        return {ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
    }
    bool operator==(const Matrix&) const = default;
};

struct Rect {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;

    bool empty() const { return !(xMax > xMin && yMax > yMin); }
    double width() const { return xMax - xMin; }
    double height() const { return yMax - yMin; }
    Rect united(const Rect& r) const {
        if (empty()) return r;
        if (r.empty()) return *this;
        return {std::min(xMin, r.xMin), std::min(yMin, r.yMin), std::max(xMax, r.xMax), std::max(yMax, r.yMax)};
    }
    // Bounding box of this rectangle transformed by m.
    Rect transformed(const Matrix& m) const {
        Point p[4] = {m.apply({xMin, yMin}), m.apply({xMax, yMin}), m.apply({xMin, yMax}), m.apply({xMax, yMax})};
        Rect r{p[0].x, p[0].y, p[0].x, p[0].y};
        for (auto& q : p) {
            r.xMin = std::min(r.xMin, q.x); r.yMin = std::min(r.yMin, q.y);
            r.xMax = std::max(r.xMax, q.x); r.yMax = std::max(r.yMax, q.y);
        }
        return r;
    }
    bool operator==(const Rect&) const = default;
};

// Straight (not premultiplied) 8-bit colour.
struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// SWF colour transform: c' = c * mult / 256 + add, per channel, clamped to 0..255.
// Multipliers are 8.8 fixed point (256 = 1.0), as stored in the file.
struct ColorTransform {
    int16_t rMult = 256, gMult = 256, bMult = 256, aMult = 256;
    int16_t rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const {
        return rMult == 256 && gMult == 256 && bMult == 256 && aMult == 256 && rAdd == 0 && gAdd == 0 && bAdd == 0 &&
               aAdd == 0;
    }
    // (*this) * inner: apply inner first, then this (a parent's transform is the outer one).
    ColorTransform operator*(const ColorTransform& in) const {
        auto mul = [](int outer, int inner) { return static_cast<int16_t>(std::clamp(outer * inner / 256, -32768, 32767)); };
        auto add = [](int outerMult, int innerAdd, int outerAdd) {
            return static_cast<int16_t>(std::clamp(outerMult * innerAdd / 256 + outerAdd, -32768, 32767));
        };
        return {mul(rMult, in.rMult), mul(gMult, in.gMult), mul(bMult, in.bMult), mul(aMult, in.aMult),
                add(rMult, in.rAdd, rAdd), add(gMult, in.gAdd, gAdd), add(bMult, in.bAdd, bAdd), add(aMult, in.aAdd, aAdd)};
    }
    Rgba apply(Rgba c) const {
        auto ch = [](int v, int m, int a) { return static_cast<uint8_t>(std::clamp(v * m / 256 + a, 0, 255)); };
        return {ch(c.r, rMult, rAdd), ch(c.g, gMult, gAdd), ch(c.b, bMult, bAdd), ch(c.a, aMult, aAdd)};
    }
    bool operator==(const ColorTransform&) const = default;
};

inline constexpr double kTwipsPerPixel = 20.0;

}  // namespace kelmora::player
