#include "player/text/GlyphOutlineWriter.h"

#include <algorithm>
#include <cstdlib>

namespace kelmora::player {

namespace {
constexpr unsigned kMaxEdgeBits = 17;
}

GlyphOutlineWriter::GlyphOutlineWriter(bool fillOnRight) : fillOnRight_(fillOnRight) {
    bits(1, 4);  // one fill bit
    bits(0, 4);  // no line styles
}

void GlyphOutlineWriter::bits(uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
        if (bitPos_ == 0) out_.push_back(0);
        if ((value >> i) & 1u) out_.back() |= uint8_t(0x80u >> bitPos_);
        bitPos_ = (bitPos_ + 1) & 7;
    }
}

unsigned GlyphOutlineWriter::signedBits(int32_t v) {
    unsigned n = 1;
    while (n < 32 && (v < -(int64_t(1) << (n - 1)) || v >= (int64_t(1) << (n - 1)))) ++n;
    return n;
}

void GlyphOutlineWriter::moveTo(int32_t x, int32_t y) {
    closeContour();
    unsigned n = std::max(signedBits(x), signedBits(y));
    bits(0, 1);  // style change record
    bits(0, 1);  // new styles
    bits(0, 1);  // line style
    bits(started_ ? 0 : fillOnRight_ ? 1 : 0, 1);   // fill style 1
    bits(started_ ? 0 : fillOnRight_ ? 0 : 1, 1);   // fill style 0
    bits(1, 1);  // move to
    bits(n, 5);
    bits(uint32_t(x), n);
    bits(uint32_t(y), n);
    if (!started_) bits(1, 1);  // the one fill style
    started_ = open_ = true;
    x_ = startX_ = x;
    y_ = startY_ = y;
}

void GlyphOutlineWriter::lineTo(int32_t x, int32_t y) {
    int32_t dx = x - x_, dy = y - y_;
    if (dx == 0 && dy == 0) return;
    unsigned n = std::max({signedBits(dx), signedBits(dy), 2u});
    if (n > kMaxEdgeBits) {  // an edge's deltas hold at most 17 bits: split long lines
        lineTo(x_ + dx / 2, y_ + dy / 2);
        return lineTo(x, y);
    }
    bits(1, 1);  // edge
    bits(1, 1);  // straight
    bits(n - 2, 4);
    bits(1, 1);  // general line
    bits(uint32_t(dx), n);
    bits(uint32_t(dy), n);
    x_ = x;
    y_ = y;
}

void GlyphOutlineWriter::quadTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    int32_t cdx = cx - x_, cdy = cy - y_, adx = x - cx, ady = y - cy;
    if ((cdx == 0 && cdy == 0) || (adx == 0 && ady == 0)) return lineTo(x, y);
    unsigned n = std::max({signedBits(cdx), signedBits(cdy), signedBits(adx), signedBits(ady), 2u});
    if (n > kMaxEdgeBits) {  // split at t = 0.5
        int32_t ax = x_ + cdx / 2, ay = y_ + cdy / 2, bx = cx + adx / 2, by = cy + ady / 2;
        int32_t mx = ax + (bx - ax) / 2, my = ay + (by - ay) / 2;
        quadTo(ax, ay, mx, my);
        return quadTo(bx, by, x, y);
    }
    bits(1, 1);  // edge
    bits(0, 1);  // curved
    bits(n - 2, 4);
    bits(uint32_t(cdx), n);
    bits(uint32_t(cdy), n);
    bits(uint32_t(adx), n);
    bits(uint32_t(ady), n);
    x_ = x;
    y_ = y;
}

void GlyphOutlineWriter::closeContour() {
    if (open_ && (x_ != startX_ || y_ != startY_)) lineTo(startX_, startY_);
    open_ = false;
}

std::vector<uint8_t> GlyphOutlineWriter::finish() {
    closeContour();
    bits(0, 6);  // end of shape
    return out_;
}

}  // namespace kelmora::player
