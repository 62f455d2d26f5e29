#include "player/render/BoxBlur.h"

#include <cmath>
#include <cstring>

namespace kelmora::player {

namespace {

// Window of 2*whole+1 pixels plus `frac`/256 of each neighbour beyond it; `mul` divides by the
// total weight in 32.32 fixed point.
struct BoxKernel {
    int whole = 0;
    uint32_t frac = 0;
    uint64_t mul = 0;
};

BoxKernel makeKernel(double width) {
    BoxKernel k;
    double r = (width - 1) / 2;
    k.whole = static_cast<int>(std::floor(r));
    k.frac = static_cast<uint32_t>(std::lround((r - k.whole) * 256));
    if (k.frac == 256) { ++k.whole; k.frac = 0; }
    uint64_t total = static_cast<uint64_t>(2 * k.whole + 1) * 256 + 2 * k.frac;
    k.mul = ((uint64_t{1} << 32) + total / 2) / total;
    return k;
}

inline uint8_t scaled(uint32_t acc, uint64_t mul) {
    uint64_t v = (acc * mul + (uint64_t{1} << 31)) >> 32;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

// Blurs `n` pixels of C channels held in `line` (with whole+1 transparent pixels before and after)
// into `out`.
template <int C>
void blurLine(const uint8_t* line, uint8_t* out, int n, const BoxKernel& k) {
    const int pad = k.whole + 1;
    const uint8_t* in = line + pad * C;
    uint32_t sum[C] = {};
    for (int i = -k.whole; i <= k.whole; ++i)
        for (int c = 0; c < C; ++c) sum[c] += in[i * C + c];
    for (int x = 0; x < n; ++x) {
        const uint8_t* before = in + (x - k.whole - 1) * C;
        const uint8_t* after = in + (x + k.whole + 1) * C;
        const uint8_t* first = in + (x - k.whole) * C;
        for (int c = 0; c < C; ++c) {
            uint32_t acc = sum[c] * 256 + k.frac * (uint32_t(before[c]) + after[c]);
            out[x * C + c] = scaled(acc, k.mul);
            sum[c] += uint32_t(after[c]) - first[c];
        }
    }
}

template <int C>
void blurRows(const uint8_t* src, uint8_t* dst, int width, int height, const BoxKernel& k, FilterScratch& s) {
    const int pad = k.whole + 1;
    const size_t rowBytes = static_cast<size_t>(width) * C;
    uint8_t* line = scratchOf(s.line, rowBytes + 2 * static_cast<size_t>(pad) * C);
    std::memset(line, 0, static_cast<size_t>(pad) * C);
    std::memset(line + pad * C + rowBytes, 0, static_cast<size_t>(pad) * C);
    for (int y = 0; y < height; ++y) {
        std::memcpy(line + pad * C, src + y * rowBytes, rowBytes);
        blurLine<C>(line, dst + y * rowBytes, width, k);
    }
}

// Vertical pass row by row, with a running sum per column, so memory is read in order.
template <int C>
void blurColumns(const uint8_t* src, uint8_t* dst, int width, int height, const BoxKernel& k, FilterScratch& s) {
    const size_t rowBytes = static_cast<size_t>(width) * C;
    uint32_t* sum = scratchOf(s.sums, rowBytes);
    const uint8_t* zero = scratchOf(s.zeros, rowBytes);
    std::memset(s.zeros.data(), 0, rowBytes);
    std::memset(sum, 0, rowBytes * sizeof(uint32_t));
    auto row = [&](int y) { return (y < 0 || y >= height) ? zero : src + y * rowBytes; };
    for (int i = -k.whole; i <= k.whole; ++i) {
        if (i < 0 || i >= height) continue;
        const uint8_t* r = row(i);
        for (size_t j = 0; j < rowBytes; ++j) sum[j] += r[j];
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* before = row(y - k.whole - 1);
        const uint8_t* after = row(y + k.whole + 1);
        const uint8_t* first = row(y - k.whole);
        uint8_t* out = dst + y * rowBytes;
        for (size_t j = 0; j < rowBytes; ++j) {
            uint32_t acc = sum[j] * 256 + k.frac * (uint32_t(before[j]) + after[j]);
            out[j] = scaled(acc, k.mul);
            sum[j] += uint32_t(after[j]) - first[j];
        }
    }
}

template <int C>
void blurPicture(uint8_t* pixels, int width, int height, double blurX, double blurY, int passes, FilterScratch& s) {
    const size_t bytes = static_cast<size_t>(width) * height * C;
    uint8_t* tmp = scratchOf(s.plane, bytes);
    bool horizontal = blurX > 1, vertical = blurY > 1;
    BoxKernel kx = makeKernel(horizontal ? blurX : 1), ky = makeKernel(vertical ? blurY : 1);
    for (int p = 0; p < passes; ++p) {
        if (horizontal) {
            blurRows<C>(pixels, tmp, width, height, kx, s);
            if (!vertical) std::memcpy(pixels, tmp, bytes);
        }
        if (vertical) blurColumns<C>(horizontal ? tmp : pixels, horizontal ? pixels : tmp, width, height, ky, s);
        if (vertical && !horizontal) std::memcpy(pixels, tmp, bytes);
    }
}

}  // namespace

void boxBlur(uint8_t* pixels, int width, int height, int channels, double blurX, double blurY, int passes,
             FilterScratch& scratch) {
    if (width <= 0 || height <= 0 || passes <= 0) return;
    if (!(blurX > 1) && !(blurY > 1)) return;
    blurX = std::min(blurX, kMaxFilterReach);
    blurY = std::min(blurY, kMaxFilterReach);
    if (channels == 4)
        blurPicture<4>(pixels, width, height, blurX, blurY, passes, scratch);
    else
        blurPicture<1>(pixels, width, height, blurX, blurY, passes, scratch);
}

}  // namespace kelmora::player
