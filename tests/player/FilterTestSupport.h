#pragma once
// Helpers for the filter tests: filter records as bytes, and small pictures.
#include <cstdint>
#include <cstring>
#include <vector>

#include "player/render/EffectsApi.h"

namespace kelmora::player::testing {

struct Bytes {
    std::vector<uint8_t> data;
    Bytes& u8(uint8_t v) { data.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    Bytes& fixed(double v) { return u32(static_cast<uint32_t>(static_cast<int32_t>(v * 65536))); }
    Bytes& fixed8(double v) { return u16(static_cast<uint16_t>(static_cast<int16_t>(v * 256))); }
    Bytes& f32(float v) { uint32_t b; std::memcpy(&b, &v, 4); return u32(b); }
    Bytes& rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return u8(r).u8(g).u8(b).u8(a); }
};

inline Filter blurFilter(double bx, double by, int passes) {
    Filter f;
    f.kind = Filter::Kind::Blur;
    f.blurX = bx; f.blurY = by; f.passes = passes;
    return f;
}

// A w x h picture, transparent, with an opaque square of `color` over [x0, x1) x [y0, y1).
inline PixelBuffer pictureWithSquare(int w, int h, int x0, int y0, int x1, int y1, uint32_t color = 0xFFFFFFFF) {
    PixelBuffer p(w, h);
    p.fill(0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) p.row(y)[x] = color;
    return p;
}

inline uint64_t totalAlpha(const PixelBuffer& p) {
    uint64_t t = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) t += alphaOf(p.pixel(x, y));
    return t;
}

}  // namespace kelmora::player::testing
