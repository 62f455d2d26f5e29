#include "player/display/Compositing.h"

#include <algorithm>

namespace kelmora::player {

namespace {

inline uint32_t over(uint32_t s, uint32_t d) {
    uint32_t sa = s >> 24;
    if (sa == 255) return s;
    if (sa == 0 && (s & 0xffffff) == 0) return d;
    uint32_t inv = 255 - sa;
    auto ch = [&](int shift) {
        uint32_t v = ((s >> shift) & 0xff) + (((d >> shift) & 0xff) * inv + 127) / 255;
        return std::min<uint32_t>(v, 255) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

}  // namespace

void compositeOver(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy) {
    int x0 = std::max(0, ox), y0 = std::max(0, oy);
    int x1 = std::min(dst.width(), ox + src.width()), y1 = std::min(dst.height(), oy + src.height());
    for (int y = y0; y < y1; ++y) {
        uint32_t* d = dst.row(y);
        const uint32_t* s = src.row(y - oy);
        for (int x = x0; x < x1; ++x) d[x] = over(s[x - ox], d[x]);
    }
}

void compositeOverInBox(PixelBuffer& dst, const PixelBuffer& src, int x0, int y0, int x1, int y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min({x1, dst.width(), src.width()});
    y1 = std::min({y1, dst.height(), src.height()});
    for (int y = y0; y < y1; ++y) {
        uint32_t* d = dst.row(y);
        const uint32_t* s = src.row(y);
        for (int x = x0; x < x1; ++x) d[x] = over(s[x], d[x]);
    }
}

void compositeMasked(PixelBuffer& dst, const PixelBuffer& content, const PixelBuffer& coverage) {
    int w = std::min({dst.width(), content.width(), coverage.width()});
    int h = std::min({dst.height(), content.height(), coverage.height()});
    for (int y = 0; y < h; ++y) {
        uint32_t* d = dst.row(y);
        const uint32_t* c = content.row(y);
        const uint32_t* m = coverage.row(y);
        for (int x = 0; x < w; ++x) {
            if (c[x] == 0) continue;
            // Flash draws masks without anti-aliasing: a pixel is in when the outline covers half of it.
            if ((m[x] >> 24) >= 128) d[x] = over(c[x], d[x]);
        }
    }
}

void applyColorTransform(PixelBuffer& pixels, const ColorTransform& cx) {
    if (cx.isIdentity()) return;
    const bool addsAlpha = cx.aAdd > 0;
    for (int y = 0; y < pixels.height(); ++y) {
        uint32_t* p = pixels.row(y);
        for (int x = 0; x < pixels.width(); ++x) {
            uint32_t v = p[x];
            uint32_t a = v >> 24;
            if (a == 0 && !addsAlpha) continue;
            Rgba c;
            c.a = static_cast<uint8_t>(a);
            if (a) {
                c.r = static_cast<uint8_t>(std::min<uint32_t>(255, (((v >> 16) & 0xff) * 255 + a / 2) / a));
                c.g = static_cast<uint8_t>(std::min<uint32_t>(255, (((v >> 8) & 0xff) * 255 + a / 2) / a));
                c.b = static_cast<uint8_t>(std::min<uint32_t>(255, ((v & 0xff) * 255 + a / 2) / a));
            }
            Rgba o = cx.apply(c);
            auto pm = [&](uint8_t ch) { return static_cast<uint32_t>((ch * o.a + 127) / 255); };
            p[x] = packArgb(o.a, static_cast<uint8_t>(pm(o.r)), static_cast<uint8_t>(pm(o.g)), static_cast<uint8_t>(pm(o.b)));
        }
    }
}

}  // namespace kelmora::player
