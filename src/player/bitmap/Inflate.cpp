#include "player/bitmap/Inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace kelmora::player {

Result<std::vector<uint8_t>> inflateBounded(std::span<const uint8_t> zlibData, size_t maxBytes) {
    std::vector<uint8_t> out(maxBytes);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return makeError("zlib could not start");
    zs.next_in = const_cast<Bytef*>(zlibData.data());
    zs.avail_in = static_cast<uInt>(std::min<size_t>(zlibData.size(), UINT_MAX));
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(std::min<size_t>(maxBytes, UINT_MAX));
    int rc = Z_OK;
    while (zs.avail_out > 0) {
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK) break;
    }
    size_t produced = maxBytes - zs.avail_out;
    inflateEnd(&zs);
    if (produced == 0 && maxBytes > 0) return makeError("the compressed data could not be inflated");
    out.resize(produced);
    return out;
}

}  // namespace kelmora::player
