#include "player/bitmap/GifDecode.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "player/bitmap/BitmapLimits.h"

namespace kelmora::player {

namespace {

struct MemoryInput {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    size_t n = std::min<size_t>(length > 0 ? size_t(length) : 0, in->data.size() - in->pos);
    std::memcpy(out, in->data.data() + in->pos, n);
    in->pos += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

}  // namespace

bool hasGifSignature(std::span<const uint8_t> data) {
    return data.size() >= 6 && (std::memcmp(data.data(), "GIF89a", 6) == 0 || std::memcmp(data.data(), "GIF87a", 6) == 0);
}

Result<PixelBuffer> decodeGif(std::span<const uint8_t> data) {
    if (!hasGifSignature(data)) return makeError("not GIF data");
    MemoryInput input{data, 0};
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, readFromMemory, &err));
    if (!gif) return makeError("GIF header unreadable");

    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return makeError("GIF data unreadable");
        if (type == TERMINATE_RECORD_TYPE) return makeError("GIF data holds no picture");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) return makeError("GIF data unreadable");
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) transparent = (ext[1] & 1) ? ext[4] : -1;
            while (ext) {
                if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) return makeError("GIF data unreadable");
            }
            continue;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) break;
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return makeError("GIF picture header unreadable");
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colors = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colors) return makeError("GIF picture has no colours");
    int canvasW = gif->SWidth > 0 ? gif->SWidth : frame.Width;
    int canvasH = gif->SHeight > 0 ? gif->SHeight : frame.Height;
    if (!bitmapSizeAllowed(canvasW, canvasH) || !bitmapSizeAllowed(frame.Width, frame.Height))
        return makeError("GIF picture too large");

    uint32_t palette[256] = {};
    for (int i = 0; i < std::min(colors->ColorCount, 256); ++i) {
        const GifColorType& c = colors->Colors[i];
        palette[i] = packArgb(255, c.Red, c.Green, c.Blue);
    }
    if (transparent >= 0 && transparent < 256) palette[transparent] = 0;

    PixelBuffer out(canvasW, canvasH);
    out.fill(0);
    std::vector<GifPixelType> line(size_t(frame.Width));
    auto storeRow = [&](int y) {
        int cy = frame.Top + y;
        if (cy < 0 || cy >= canvasH) return;
        uint32_t* row = out.row(cy);
        for (int x = 0; x < frame.Width; ++x) {
            int cx = frame.Left + x;
            if (cx >= 0 && cx < canvasW) row[cx] = palette[line[size_t(x)]];
        }
    };
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        int start = frame.Interlace ? kStart[pass] : 0, step = frame.Interlace ? kStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return out;  // keep what was read
            storeRow(y);
        }
    }
    return out;
}

}  // namespace kelmora::player
