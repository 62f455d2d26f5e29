// BMP files as the picture-sequence tool reads them, from memory and as packed bitmaps.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "image/BitmapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelmora::cDib bmp;
    if (bmp.CreateFromBytes(std::span<const uint8_t>(data, size))) {
        // Every byte the object hands out must lie in its blocks.
        uint8_t last = 0;
        if (bmp.SizeImage() > 0) last ^= bmp.PointerToBits()[bmp.SizeImage() - 1];
        if (bmp.SizeBitmapInfo() > 0) last ^= bmp.PointerToBitmapInfo()[bmp.SizeBitmapInfo() - 1];
        volatile uint8_t sink = last;
        (void)sink;
    }
    if (size > 14) bmp.CreateFromPackedDIBPointer(data + 14, size - 14);
    return 0;
}
