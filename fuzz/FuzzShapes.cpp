// Drives the shape parsers and the shape renderer with arbitrary tag bodies. The first byte
// picks the tag kind and the scale; the rest is the body.
#include <cstddef>
#include <cstdint>
#include <span>

#include "player/shape/ShapeApi.h"

using namespace kelmora::player;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const uint16_t kCodes[] = {2, 22, 32, 83, 46, 84, 0};
    uint16_t code = kCodes[(data[0] & 7) % 7];
    double scale = (data[0] >> 3) == 0 ? 1.0 : 1.0 / (data[0] >> 3);
    std::span<const uint8_t> body(data + 1, size - 1);
    static ShapeRenderer renderer;
    PixelBuffer target(48, 48);
    Matrix m = Matrix::scale(scale, scale);
    if (code == 46 || code == 84) {
        auto r = parseMorphShape(code, body);
        if (r.ok()) {
            renderer.drawMorph(**r, 0.5, m, {}, target, nullptr);
            (void)morphBounds(**r, 0.25);
        }
    } else if (code == 0) {
        auto r = parseGlyph(body);
        if (r.ok()) renderer.drawSolid(**r, m, {0, 0, 0, 255}, target);
    } else {
        auto r = parseShape(code, body);
        if (r.ok()) {
            ColorTransform cx;
            cx.rMult = 100;
            renderer.draw(**r, m, cx, target, nullptr);
            (void)shapeBounds(**r);
        }
    }
    return 0;
}
