#include "player/bitmap/PngDecode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "player/bitmap/BitmapLimits.h"
#include "player/bitmap/PixelMath.h"

namespace kelmora::player {

namespace {

struct MemoryInput {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > in->data.size() - in->pos) png_error(png, "PNG data ends early");
    std::memcpy(out, in->data.data() + in->pos, length);
    in->pos += length;
}

void ignoreWarning(png_structp, png_const_charp) {}
// Errors come back as our own message; libpng's text is not printed.
[[noreturn]] void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

struct PngReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadState() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// libpng reports errors with longjmp, so this part holds no object with a destructor; the
// caller owns the buffers. Returns an empty string on success.
const char* readPng(PngReadState& st, MemoryInput& input, std::vector<uint8_t>& rgba,
                    std::vector<png_bytep>& rows, int& width, int& height) {
    static const char* const kTooLarge = "PNG picture too large";
    static const char* const kBad = "PNG data unreadable";
    if (setjmp(png_jmpbuf(st.png))) return kBad;
    png_set_read_fn(st.png, &input, readFromMemory);
    png_read_info(st.png, st.info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(st.png, st.info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    if (!bitmapSizeAllowed(w, h)) return kTooLarge;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(st.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(st.png);
    if (png_get_valid(st.png, st.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(st.png);
    if (depth == 16) png_set_strip_16(st.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(st.png);
    png_set_filler(st.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(st.png);
    png_read_update_info(st.png, st.info);
    if (png_get_rowbytes(st.png, st.info) != size_t(w) * 4) return kBad;
    width = int(w);
    height = int(h);
    rgba.resize(size_t(w) * h * 4);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + size_t(y) * w * 4;
    png_read_image(st.png, rows.data());
    return "";
}

}  // namespace

bool hasPngSignature(std::span<const uint8_t> data) {
    static constexpr uint8_t kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return data.size() >= 8 && std::memcmp(data.data(), kSig, 8) == 0;
}

Result<PixelBuffer> decodePng(std::span<const uint8_t> data) {
    if (!hasPngSignature(data)) return makeError("not PNG data");
    PngReadState st;
    st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, ignoreWarning);
    if (!st.png) return makeError("the PNG decoder could not start");
    st.info = png_create_info_struct(st.png);
    if (!st.info) return makeError("the PNG decoder could not start");
    // Flash draws every PNG, whatever its CRCs say.
    png_set_crc_action(st.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    MemoryInput input{data, 0};
    std::vector<uint8_t> rgba;
    std::vector<png_bytep> rows;
    int width = 0, height = 0;
    const char* failure = readPng(st, input, rgba, rows, width, height);
    if (*failure) return makeError(failure);
    PixelBuffer out(width, height);
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i) {
        const uint8_t* p = &rgba[i * 4];
        out.data()[i] = premultipliedPixel(p[3], p[0], p[1], p[2]);
    }
    return out;
}

}  // namespace kelmora::player
