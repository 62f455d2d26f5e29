#include "sequence/convert/PngFile.h"

#include <png.h>

#include <vector>

#include "image/ReplacingFile.h"

namespace kelmora::convert {
namespace {

struct Output {
    ReplacingFile* file;
    Status status;
};

void writeBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Output*>(png_get_io_ptr(png));
    if (out->status) out->status = out->file->write(data, size);
}

void flushNothing(png_structp) {}

uint8_t straight(uint8_t channel, uint8_t alpha) {
    if (alpha == 0) return 0;
    if (alpha == 255) return channel;
    const unsigned v = (unsigned(channel) * 255 + alpha / 2) / alpha;
    return uint8_t(v > 255 ? 255 : v);
}

}  // namespace

Status writePng(const std::string& path, const player::PixelBuffer& picture, bool withAlpha) {
    if (picture.empty()) return makeError("nothing to write: the picture is empty");
    auto file = ReplacingFile::open(path);
    if (!file) return makeError("cannot create \"" + path + "\": " + file.error().message);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return makeError("out of memory writing \"" + path + "\"");
    }
    const int channels = withAlpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<size_t>(picture.width()) * size_t(channels));
    Output out{&*file, {}};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return makeError("cannot write \"" + path + "\"");
    }
    png_set_write_fn(png, &out, &writeBytes, &flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()), static_cast<png_uint_32>(picture.height()), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < picture.height() && out.status; ++y) {
        const uint32_t* p = picture.row(y);
        png_byte* o = row.data();
        for (int x = 0; x < picture.width(); ++x, o += channels) {
            const uint8_t a = player::alphaOf(p[x]);
            if (withAlpha) {
                o[0] = straight(player::redOf(p[x]), a);
                o[1] = straight(player::greenOf(p[x]), a);
                o[2] = straight(player::blueOf(p[x]), a);
                o[3] = a;
            } else {
                o[0] = player::redOf(p[x]);
                o[1] = player::greenOf(p[x]);
                o[2] = player::blueOf(p[x]);
            }
        }
        png_write_row(png, row.data());
    }
    if (out.status) png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (!out.status) return makeError("cannot write \"" + path + "\": " + out.status.error().message);
    if (Status st = file->commit(); !st) return makeError("cannot write \"" + path + "\": " + st.error().message);
    return {};
}

}  // namespace kelmora::convert
