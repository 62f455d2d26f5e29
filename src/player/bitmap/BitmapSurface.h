#pragma once
// The pixels of a script-made bitmap (BitmapData), shared between the script object that changes
// them and the display objects that show them (attachBitmap), which may outlive the object.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmora::player {

uint32_t premultiply(uint32_t argb);
uint32_t unpremultiply(uint32_t premultipliedArgb);

struct BitmapSurface {
    int width = 0, height = 0;
    bool transparent = true;
    bool disposed = false;
    std::vector<uint32_t> pixels;  // premultiplied 0xAARRGGBB, rows top to bottom
    uint64_t generation = 1;       // changes whenever the pixels change

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Straight ARGB of a pixel (0 outside).
    // An opaque bitmap hands out what it holds (the player never unmultiplies those).
    uint32_t get32(int x, int y) const {
        if (!inside(x, y)) return 0;
        return transparent ? unpremultiply(at(x, y)) : at(x, y);
    }
    // Stores a straight ARGB colour (made opaque in an opaque bitmap).
    void set32(int x, int y, uint32_t argb) {
        if (!inside(x, y)) return;
        at(x, y) = premultiply(transparent ? argb : (argb | 0xFF000000u));
    }
    void changed() { ++generation; }
};

}  // namespace kelmora::player
