#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace kelmora::tools {

Status writePng(const std::string& path, const player::PixelBuffer& picture) {
    if (picture.empty()) return makeError("nothing to write: the picture is empty");
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return makeError("cannot create \"" + path + "\"");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return makeError("out of memory writing \"" + path + "\"");
    }
    std::vector<png_byte> row(static_cast<size_t>(picture.width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return makeError("cannot write \"" + path + "\"");
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()), static_cast<png_uint_32>(picture.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < picture.height(); ++y) {
        const uint32_t* p = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            row[x * 3] = player::redOf(p[x]);
            row[x * 3 + 1] = player::greenOf(p[x]);
            row[x * 3 + 2] = player::blueOf(p[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) return makeError("cannot write \"" + path + "\"");
    return {};
}

}  // namespace kelmora::tools
