#pragma once
// Reads SWF bit fields and aligned little-endian values from a byte span. It never reads past
// the span: an overrun returns zeros and sets a sticky error that the caller checks once.
#include <cstdint>
#include <span>
#include <string>

#include "player/Geometry.h"

namespace kelmora::player {

class BitReader {
public:
    BitReader() = default;
    explicit BitReader(std::span<const uint8_t> bytes) : data_(bytes) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    size_t position() const { return pos_; }
    size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    std::span<const uint8_t> bytes() const { return data_; }
    // The unread rest of the span (byte-aligned).
    std::span<const uint8_t> rest() {
        align();
        return pos_ < data_.size() ? data_.subspan(pos_) : std::span<const uint8_t>{};
    }
    void seek(size_t pos) {
        align();
        if (pos > data_.size()) { failed_ = true; pos_ = data_.size(); } else { pos_ = pos; }
    }
    void skip(size_t n) {
        align();
        if (n > remaining()) { failed_ = true; pos_ = data_.size(); } else { pos_ += n; }
    }
    // Takes the next n bytes as a span (empty and failed when fewer remain).
    std::span<const uint8_t> take(size_t n) {
        align();
        if (n > remaining()) { failed_ = true; pos_ = data_.size(); return {}; }
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

    void align() { bitsLeft_ = 0; }

    uint32_t ub(unsigned nbits) {
        uint32_t v = 0;
        for (unsigned i = 0; i < nbits; ++i) {
            if (bitsLeft_ == 0) {
                if (pos_ >= data_.size()) { failed_ = true; return 0; }
                bitBuf_ = data_[pos_++];
                bitsLeft_ = 8;
            }
            --bitsLeft_;
            v = (v << 1) | ((bitBuf_ >> bitsLeft_) & 1u);
        }
        return v;
    }
    int32_t sb(unsigned nbits) {
        if (nbits == 0) return 0;
        uint32_t v = ub(nbits);
        if (nbits < 32 && (v & (1u << (nbits - 1)))) v |= ~0u << nbits;
        return static_cast<int32_t>(v);
    }
    // 16.16 fixed-point bit field.
    double fb(unsigned nbits) { return sb(nbits) / 65536.0; }
    bool flag() { return ub(1) != 0; }

    uint8_t u8() {
        align();
        if (pos_ >= data_.size()) { failed_ = true; return 0; }
        return data_[pos_++];
    }
    uint16_t u16() { uint16_t lo = u8(); return static_cast<uint16_t>(lo | (u8() << 8)); }
    uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    double fixed8() { return s16() / 256.0; }   // 8.8
    double fixed16() { return s32() / 65536.0; }  // 16.16
    float f32() {
        uint32_t bits = u32();
        float f;
        static_assert(sizeof f == sizeof bits);
        __builtin_memcpy(&f, &bits, sizeof f);
        return f;
    }
    // SWF's DOUBLE in actions is stored as two little-endian 32-bit halves, high word first.
    double f64Swapped() {
        uint64_t hi = u32(), lo = u32();
        uint64_t bits = (hi << 32) | lo;
        double d;
        __builtin_memcpy(&d, &bits, sizeof d);
        return d;
    }
    double f64() {
        uint64_t lo = u32(), hi = u32();
        uint64_t bits = (hi << 32) | lo;
        double d;
        __builtin_memcpy(&d, &bits, sizeof d);
        return d;
    }
    uint32_t encodedU32() {
        uint32_t v = 0;
        for (int i = 0; i < 5; ++i) {
            uint8_t b = u8();
            v |= static_cast<uint32_t>(b & 0x7f) << (7 * i);
            if (!(b & 0x80)) break;
        }
        return v;
    }
    // NUL-terminated string; an unterminated one ends at the span's end (and sets the error).
    std::string string() {
        align();
        std::string s;
        while (pos_ < data_.size()) {
            char c = static_cast<char>(data_[pos_++]);
            if (c == 0) return s;
            s.push_back(c);
        }
        failed_ = true;
        return s;
    }

    Rect rect() {
        align();
        unsigned n = ub(5);
        Rect r;
        r.xMin = sb(n); r.xMax = sb(n); r.yMin = sb(n); r.yMax = sb(n);
        align();
        return r;
    }
    Matrix matrix() {
        align();
        Matrix m;
        if (flag()) { unsigned n = ub(5); m.a = fb(n); m.d = fb(n); }
        if (flag()) { unsigned n = ub(5); m.b = fb(n); m.c = fb(n); }
        unsigned n = ub(5);
        m.tx = sb(n); m.ty = sb(n);
        align();
        return m;
    }
    ColorTransform colorTransform(bool withAlpha) {
        align();
        ColorTransform cx;
        bool hasAdd = flag(), hasMult = flag();
        unsigned n = ub(4);
        if (hasMult) {
            cx.rMult = static_cast<int16_t>(sb(n)); cx.gMult = static_cast<int16_t>(sb(n));
            cx.bMult = static_cast<int16_t>(sb(n));
            if (withAlpha) cx.aMult = static_cast<int16_t>(sb(n));
        }
        if (hasAdd) {
            cx.rAdd = static_cast<int16_t>(sb(n)); cx.gAdd = static_cast<int16_t>(sb(n));
            cx.bAdd = static_cast<int16_t>(sb(n));
            if (withAlpha) cx.aAdd = static_cast<int16_t>(sb(n));
        }
        align();
        return cx;
    }
    Rgba rgb() { Rgba c; c.r = u8(); c.g = u8(); c.b = u8(); c.a = 255; return c; }
    Rgba rgba() { Rgba c; c.r = u8(); c.g = u8(); c.b = u8(); c.a = u8(); return c; }
    Rgba argb() { Rgba c; c.a = u8(); c.r = u8(); c.g = u8(); c.b = u8(); return c; }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    uint8_t bitBuf_ = 0;
    unsigned bitsLeft_ = 0;
    bool failed_ = false;
};

}  // namespace kelmora::player
