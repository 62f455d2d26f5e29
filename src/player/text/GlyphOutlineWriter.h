#pragma once
// Writes outlines as a SWF SHAPE record (the form of a font glyph), so that device-font glyphs
// and field backgrounds go through the same glyph parser and renderer as embedded fonts.
#include <cstdint>
#include <vector>

namespace kelmora::player {

class GlyphOutlineWriter {
public:
    // fillOnRight: the filled area lies on the right of each contour's direction of travel
    // (fill style 1), else on its left (fill style 0). Coordinates are integers (twips or font units).
    explicit GlyphOutlineWriter(bool fillOnRight);

    void moveTo(int32_t x, int32_t y);
    void lineTo(int32_t x, int32_t y);
    void quadTo(int32_t cx, int32_t cy, int32_t x, int32_t y);
    // Closes the open contour and ends the record.
    std::vector<uint8_t> finish();
    bool empty() const { return !started_; }

private:
    void bits(uint32_t value, unsigned count);
    void closeContour();
    static unsigned signedBits(int32_t v);

    std::vector<uint8_t> out_;
    unsigned bitPos_ = 0;  // bits used in out_.back()
    bool fillOnRight_;
    bool started_ = false, open_ = false;
    int32_t x_ = 0, y_ = 0, startX_ = 0, startY_ = 0;
};

}  // namespace kelmora::player
