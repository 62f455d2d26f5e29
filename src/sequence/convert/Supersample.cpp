#include "sequence/convert/Supersample.h"

#include <algorithm>
#include <vector>

namespace kelmora::convert {

void downsample(const player::PixelBuffer& large, int factor, player::PixelBuffer& out) {
    factor = std::max(1, factor);
    const int w = large.width() / factor, h = large.height() / factor;
    out.resize(w, h);
    if (factor == 1) {
        std::copy(large.data(), large.data() + size_t(w) * size_t(h), out.data());
        return;
    }
    const uint32_t count = uint32_t(factor * factor);
    std::vector<uint32_t> sums(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < factor; ++dy) {
            const uint32_t* row = large.row(y * factor + dy);
            for (int x = 0; x < w; ++x) {
                uint32_t* s = &sums[size_t(x) * 4];
                for (int dx = 0; dx < factor; ++dx) {
                    const uint32_t p = row[x * factor + dx];
                    s[0] += p >> 24;
                    s[1] += (p >> 16) & 0xFF;
                    s[2] += (p >> 8) & 0xFF;
                    s[3] += p & 0xFF;
                }
            }
        }
        uint32_t* o = out.row(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t* s = &sums[size_t(x) * 4];
            auto avg = [&](uint32_t v) { return uint8_t((v + count / 2) / count); };
            o[x] = player::packArgb(avg(s[0]), avg(s[1]), avg(s[2]), avg(s[3]));
        }
    }
}

}  // namespace kelmora::convert
