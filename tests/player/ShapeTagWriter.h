#pragma once
// A tiny writer for shape tag bodies in tests (bit fields, styles, shape records).
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace kelmora::player::testing {

class TagBits {
public:
    std::vector<uint8_t> bytes;

    void ub(unsigned n, uint32_t v) {
        for (unsigned i = n; i-- > 0;) {
            if (bit_ == 0) bytes.push_back(0);
            if ((v >> i) & 1u) bytes.back() |= static_cast<uint8_t>(0x80u >> bit_);
            bit_ = (bit_ + 1) & 7;
        }
    }
    void sb(unsigned n, int32_t v) { ub(n, static_cast<uint32_t>(v) & (n >= 32 ? ~0u : ((1u << n) - 1))); }
    void align() { bit_ = 0; }
    void u8(uint8_t v) { align(); bytes.push_back(v); }
    void u16(uint16_t v) { u8(v & 0xFF); u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void rgb(uint8_t r, uint8_t g, uint8_t b) { u8(r); u8(g); u8(b); }
    void rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { rgb(r, g, b); u8(a); }

    static unsigned bitsFor(std::initializer_list<int32_t> values) {
        unsigned n = 1;
        for (int32_t v : values) {
            unsigned need = 1;
            while (need < 31 && (v < -(1 << (need - 1)) || v >= (1 << (need - 1)))) ++need;
            n = need > n ? need : n;
        }
        return n;
    }
    void rect(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
        align();
        unsigned n = bitsFor({x0, x1, y0, y1});
        ub(5, n); sb(n, x0); sb(n, x1); sb(n, y0); sb(n, y1);
        align();
    }
    // Scale (16.16 as doubles) and translation in twips; no rotation.
    void matrix(double sx, double sy, int32_t tx, int32_t ty) {
        align();
        int32_t a = static_cast<int32_t>(sx * 65536), d = static_cast<int32_t>(sy * 65536);
        ub(1, 1);
        unsigned n = bitsFor({a, d});
        ub(5, n); sb(n, a); sb(n, d);
        ub(1, 0);
        unsigned m = bitsFor({tx, ty});
        ub(5, m); sb(m, tx); sb(m, ty);
        align();
    }
    void identityMatrix() { matrix(1, 1, 0, 0); }

    // SHAPE records -------------------------------------------------------------------
    void shapeBits(unsigned fillBits, unsigned lineBits) {
        align();
        fillBits_ = fillBits;
        lineBits_ = lineBits;
        ub(4, fillBits); ub(4, lineBits);
    }
    // fill0/fill1/line < 0: not set.
    void styleChange(bool move, int32_t x, int32_t y, int fill0 = -1, int fill1 = -1, int line = -1,
                     bool newStyles = false) {
        ub(1, 0);
        ub(1, newStyles); ub(1, line >= 0); ub(1, fill1 >= 0); ub(1, fill0 >= 0); ub(1, move);
        if (move) {
            unsigned n = bitsFor({x, y});
            ub(5, n); sb(n, x); sb(n, y);
        }
        if (fill0 >= 0) ub(fillBits_, fill0);
        if (fill1 >= 0) ub(fillBits_, fill1);
        if (line >= 0) ub(lineBits_, line);
    }
    void line(int32_t dx, int32_t dy) {
        ub(1, 1); ub(1, 1);
        unsigned n = bitsFor({dx, dy});
        if (n < 2) n = 2;
        ub(4, n - 2);
        ub(1, 1);
        sb(n, dx); sb(n, dy);
    }
    void curve(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
        ub(1, 1); ub(1, 0);
        unsigned n = bitsFor({cdx, cdy, adx, ady});
        if (n < 2) n = 2;
        ub(4, n - 2);
        sb(n, cdx); sb(n, cdy); sb(n, adx); sb(n, ady);
    }
    void endShape() { ub(6, 0); align(); }
    // A closed rectangle path from the current style state, clockwise on screen.
    void rectPath(int32_t x, int32_t y, int32_t w, int32_t h, int fill0, int fill1, int lineStyle = -1) {
        styleChange(true, x, y, fill0, fill1, lineStyle);
        line(w, 0); line(0, h); line(-w, 0); line(0, -h);
    }

private:
    unsigned bit_ = 0;
    unsigned fillBits_ = 0, lineBits_ = 0;
};

}  // namespace kelmora::player::testing
