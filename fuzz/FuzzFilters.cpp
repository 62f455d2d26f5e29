// Reads a FILTERLIST from the input and runs it over a small picture, with margins as the
// renderer would size them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "player/render/EffectsApi.h"

using namespace kelmora::player;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    BitReader reader(std::span<const uint8_t>(data + 2, size - 2));
    auto filters = readFilterList(reader);
    double scale = 0.25 + (data[0] % 16) / 4.0;
    Rect m = filterMargins(filters, scale, scale);
    int w = 24 + static_cast<int>(m.xMin + m.xMax), h = 24 + static_cast<int>(m.yMin + m.yMax);
    if (w > 300 || h > 300) return 0;  // keeps each run quick; margins are bounded anyway
    PixelBuffer layer(w, h);
    layer.fill(0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            layer.row(y + static_cast<int>(m.yMin))[x + static_cast<int>(m.xMin)] = (x ^ y) & 4 ? 0xFF2040C0 : 0x80400000;
    applyFilters(layer, filters, scale, scale);
    PixelBuffer stage(32, 32);
    stage.fill(0xFFFFFFFF);
    blendLayer(stage, layer, -static_cast<int>(m.xMin) + (data[1] % 9) - 4, -static_cast<int>(m.yMin),
               static_cast<BlendMode>(1 + data[1] % 14));
    return 0;
}
