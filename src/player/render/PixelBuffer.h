#pragma once
// The engine's pictures: 32-bit premultiplied ARGB, one uint32_t per pixel (0xAARRGGBB in a
// native-endian word, so bytes B,G,R,A in memory on little-endian machines), rows top-down.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmora::player {

class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height) { resize(width, height); }

    // Keeps the allocation when the size is unchanged or smaller, so per-frame reuse is free.
    void resize(int width, int height) {
        width_ = width > 0 ? width : 0;
        height_ = height > 0 ? height : 0;
        pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    }
    void fill(uint32_t argb) { std::fill(pixels_.begin(), pixels_.end(), argb); }

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return width_; }  // in pixels
    bool empty() const { return pixels_.empty(); }
    uint32_t* row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const uint32_t* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
    uint32_t* data() { return pixels_.data(); }
    const uint32_t* data() const { return pixels_.data(); }
    uint32_t pixel(int x, int y) const { return row(y)[x]; }

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

inline constexpr uint32_t packArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
inline constexpr uint8_t alphaOf(uint32_t p) { return uint8_t(p >> 24); }
inline constexpr uint8_t redOf(uint32_t p) { return uint8_t(p >> 16); }
inline constexpr uint8_t greenOf(uint32_t p) { return uint8_t(p >> 8); }
inline constexpr uint8_t blueOf(uint32_t p) { return uint8_t(p); }

}  // namespace kelmora::player
