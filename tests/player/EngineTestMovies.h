#pragma once
// Tiny movie builder for the engine's timeline tests: raw tags, place/remove records, sprites and
// solid rectangles, enough to drive the display list without the full SWF writer.
#include <cstdint>
#include <string>
#include <vector>

namespace kelmora::player::testing {

using MovieBytes = std::vector<uint8_t>;

class Bits {
public:
    void ub(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (bit_ == 0) bytes.push_back(0);
            if ((v >> i) & 1) bytes.back() |= static_cast<uint8_t>(0x80 >> bit_);
            bit_ = (bit_ + 1) % 8;
        }
    }
    void sb(int32_t v, int n) { ub(static_cast<uint32_t>(v) & ((n == 32) ? ~0u : ((1u << n) - 1)), n); }
    void align() { bit_ = 0; }
    void u8(uint8_t v) { align(); bytes.push_back(v); }
    void u16(uint16_t v) { u8(v & 0xff); u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xffff); u16(v >> 16); }
    void str(const std::string& s) { align(); bytes.insert(bytes.end(), s.begin(), s.end()); bytes.push_back(0); }
    void append(const std::vector<uint8_t>& b) { align(); bytes.insert(bytes.end(), b.begin(), b.end()); }
    void rect(int x0, int x1, int y0, int y1) {
        align(); ub(16, 5); sb(x0, 16); sb(x1, 16); sb(y0, 16); sb(y1, 16); align();
    }
    // Matrix with scale (16.16 fixed) and translation in twips.
    void matrix(double sx, double sy, int tx, int ty) {
        align();
        bool scale = sx != 1 || sy != 1;
        ub(scale, 1);
        if (scale) { ub(24, 5); sb(int32_t(sx * 65536), 24); sb(int32_t(sy * 65536), 24); }
        ub(0, 1);
        ub(20, 5); sb(tx, 20); sb(ty, 20);
        align();
    }
    std::vector<uint8_t> bytes;

private:
    int bit_ = 0;
};

inline std::vector<uint8_t> tag(uint16_t code, const std::vector<uint8_t>& body, bool longForm = false) {
    Bits b;
    if (body.size() < 63 && !longForm) {
        b.u16(static_cast<uint16_t>(code << 6 | body.size()));
    } else {
        b.u16(static_cast<uint16_t>(code << 6 | 63));
        b.u32(static_cast<uint32_t>(body.size()));
    }
    b.append(body);
    return b.bytes;
}

inline std::vector<uint8_t> showFrame() { return tag(1, {}); }

struct Place {
    uint16_t depth = 1;
    int characterId = -1;  // -1: none (a move)
    bool move = false;
    bool hasMatrix = false;
    double sx = 1, sy = 1;
    int tx = 0, ty = 0;
    int clipDepth = -1;
    std::string name;
    bool hasColor = false;
    int16_t mult[4] = {256, 256, 256, 256};
    int16_t add[4] = {0, 0, 0, 0};
    int ratio = -1;
};

inline std::vector<uint8_t> placeObject2(const Place& p) {
    Bits b;
    uint8_t flags = 0;
    if (p.move) flags |= 0x01;
    if (p.characterId >= 0) flags |= 0x02;
    if (p.hasMatrix) flags |= 0x04;
    if (p.hasColor) flags |= 0x08;
    if (p.ratio >= 0) flags |= 0x10;
    if (!p.name.empty()) flags |= 0x20;
    if (p.clipDepth >= 0) flags |= 0x40;
    b.u8(flags);
    b.u16(p.depth);
    if (p.characterId >= 0) b.u16(static_cast<uint16_t>(p.characterId));
    if (p.hasMatrix) b.matrix(p.sx, p.sy, p.tx, p.ty);
    if (p.hasColor) {
        b.ub(1, 1); b.ub(1, 1); b.ub(16, 4);
        for (auto m : p.mult) b.sb(m, 16);
        for (auto a : p.add) b.sb(a, 16);
        b.align();
    }
    if (p.ratio >= 0) b.u16(static_cast<uint16_t>(p.ratio));
    if (!p.name.empty()) b.str(p.name);
    if (p.clipDepth >= 0) b.u16(static_cast<uint16_t>(p.clipDepth));
    return tag(26, b.bytes);
}

inline std::vector<uint8_t> removeObject2(uint16_t depth) {
    Bits b;
    b.u16(depth);
    return tag(28, b.bytes);
}

inline std::vector<uint8_t> doAction(const std::vector<uint8_t>& actions) { return tag(12, actions); }

// DefineSprite with the given frame tags (End appended).
inline std::vector<uint8_t> defineSprite(uint16_t id, uint16_t frames, const std::vector<std::vector<uint8_t>>& tags) {
    Bits b;
    b.u16(id);
    b.u16(frames);
    for (const auto& t : tags) b.append(t);
    b.u16(0);
    return tag(39, b.bytes, true);
}

// DefineShape (1) of one solid rectangle in twips.
inline std::vector<uint8_t> defineRect(uint16_t id, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t bl) {
    Bits b;
    b.u16(id);
    b.rect(x0, x1, y0, y1);
    b.u8(1);  // one fill style
    b.u8(0x00); b.u8(r); b.u8(g); b.u8(bl);
    b.u8(0);  // no line styles
    b.ub(1, 4); b.ub(0, 4);  // fill bits 1, line bits 0
    // Style change: move to (x0, y0), fill1 = 1 (fill0 for left: use fill style 0 side = 1).
    b.ub(0, 1); b.ub(0, 1); b.ub(0, 1); b.ub(1, 1); b.ub(0, 1); b.ub(1, 1);  // newStyles,line,fill1,fill0,move
    b.ub(17, 5); b.sb(x0, 17); b.sb(y0, 17);
    b.ub(1, 1);  // fill0
    auto line = [&](int dx, int dy) {
        b.ub(1, 1); b.ub(1, 1);  // edge, straight
        b.ub(15, 4);             // 17 bits
        if (dx != 0 && dy != 0) { b.ub(1, 1); b.sb(dx, 17); b.sb(dy, 17); }
        else if (dx != 0) { b.ub(0, 1); b.ub(0, 1); b.sb(dx, 17); }
        else { b.ub(0, 1); b.ub(1, 1); b.sb(dy, 17); }
    };
    line(x1 - x0, 0); line(0, y1 - y0); line(x0 - x1, 0); line(0, y0 - y1);
    b.ub(0, 6);  // end of shape
    b.align();
    return tag(2, b.bytes);
}

inline std::vector<uint8_t> setBackground(uint8_t r, uint8_t g, uint8_t bl) { return tag(9, {r, g, bl}); }

// An uncompressed movie of width x height pixels.
inline MovieBytes movie(const std::vector<std::vector<uint8_t>>& tags, int width = 100, int height = 80,
                        uint16_t frames = 1, uint8_t version = 8, double rate = 12) {
    Bits body;
    body.rect(0, width * 20, 0, height * 20);
    body.u16(static_cast<uint16_t>(rate * 256));
    body.u16(frames);
    for (const auto& t : tags) body.append(t);
    body.u16(0);
    MovieBytes out = {'F', 'W', 'S', version, 0, 0, 0, 0};
    out.insert(out.end(), body.bytes.begin(), body.bytes.end());
    uint32_t size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    return out;
}

}  // namespace kelmora::player::testing
