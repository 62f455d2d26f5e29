#include "swf/Decompress.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace kelmora::swf {

namespace {

constexpr size_t kHeaderSize = 8;
// ZWS: signature+version, uncompressed length, compressed length, 5 LZMA properties bytes.
constexpr size_t kLzmaHeaderSize = 17;
constexpr size_t kFirstChunk = 64u << 10;

std::string sizeText(size_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

Error tooLarge(size_t limit) {
    return makeError("movie is larger than " + sizeText(limit) + " when decompressed");
}

uint32_t readLe32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Output buffer that grows as the decoder produces bytes, never past `cap`.
class GrowingOutput {
public:
    explicit GrowingOutput(std::span<const uint8_t> file, size_t cap) : cap_(cap) {
        bytes_.assign(file.begin(), file.begin() + kHeaderSize);
        bytes_[0] = 'F';
        used_ = std::min(kHeaderSize, cap_);
        bytes_.resize(used_);
    }
    // Room for the decoder: pointer and size of the free tail (0 when the cap is reached).
    uint8_t* room(size_t& size) {
        if (bytes_.size() == used_ && used_ < cap_) {
            size_t grown = std::min(cap_, std::max(used_ * 2, used_ + kFirstChunk));
            bytes_.resize(grown);
        }
        size = bytes_.size() - used_;
        return bytes_.data() + used_;
    }
    void produced(size_t n) { used_ += n; }
    size_t used() const { return used_; }
    bool full() const { return used_ >= cap_; }
    std::vector<uint8_t> take() {
        bytes_.resize(used_);
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
    size_t used_ = 0;
    size_t cap_;
};

// Inflates until the stream ends, the input runs out, the data turns out damaged or the cap is hit.
void inflateBody(std::span<const uint8_t> in, GrowingOutput& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return;
    z.next_in = const_cast<Bytef*>(in.data());
    size_t inLeft = in.size();
    for (;;) {
        if (out.full()) break;
        size_t roomSize = 0;
        uint8_t* room = out.room(roomSize);
        uInt feed = static_cast<uInt>(std::min<size_t>(inLeft, 1u << 30));
        uInt give = static_cast<uInt>(std::min<size_t>(roomSize, 1u << 30));
        z.avail_in = feed;
        z.next_out = room;
        z.avail_out = give;
        int rc = inflate(&z, Z_NO_FLUSH);
        inLeft -= feed - z.avail_in;
        out.produced(give - z.avail_out);
        if (rc != Z_OK) break;  // the end of the stream, damaged data or no way on
        if (inLeft == 0 && z.avail_out != 0) break;
    }
    inflateEnd(&z);
}

void unlzmaBody(std::span<const uint8_t> props, std::span<const uint8_t> in, GrowingOutput& out,
                size_t declaredEnd, size_t cap) {
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, props.data(), props.size()) != LZMA_OK) return;
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    // The decoder allocates its whole dictionary up front; a hostile header could ask for 4 GiB.
    // Matches never reach further back than the output we allow, so a smaller dictionary decodes alike.
    size_t reach = std::min<size_t>({declaredEnd, cap, UINT32_MAX});
    options->dict_size = std::max<uint32_t>(LZMA_DICT_SIZE_MIN, std::min<uint32_t>(options->dict_size, static_cast<uint32_t>(reach)));
    lzma_stream s = LZMA_STREAM_INIT;
    lzma_ret init = lzma_raw_decoder(&s, filters);
    free(filters[0].options);
    if (init != LZMA_OK) return;
    s.next_in = in.data();
    s.avail_in = in.size();
    for (;;) {
        // Raw LZMA1 data often has no end marker: the declared length is where the movie ends.
        if (out.used() >= declaredEnd) break;
        if (out.full()) break;
        size_t roomSize = 0;
        uint8_t* room = out.room(roomSize);
        roomSize = std::min(roomSize, declaredEnd - out.used());
        s.next_out = room;
        s.avail_out = roomSize;
        size_t inBefore = s.avail_in;
        lzma_ret rc = lzma_code(&s, LZMA_RUN);
        out.produced(roomSize - s.avail_out);
        if (rc == LZMA_STREAM_END) break;
        if (rc != LZMA_OK) break;
        if (s.avail_in == 0 && s.avail_out != 0) break;
        if (s.avail_in == inBefore && s.avail_out == roomSize) break;
    }
    lzma_end(&s);
}

// cap: most bytes to produce; capIsError: whether reaching it (with more to come) is a failure.
Result<std::vector<uint8_t>> decompress(std::span<const uint8_t> file, size_t cap, bool capIsError) {
    if (!hasSwfSignature(file)) return makeError("not a SWF file (no FWS, CWS or ZWS signature)");
    if (file.size() < kHeaderSize) return makeError("SWF file is shorter than its 8-byte header");
    if (file[0] == 'F') {
        if (file.size() > cap) {
            if (capIsError) return tooLarge(cap);
            return std::vector<uint8_t>(file.begin(), file.begin() + cap);
        }
        return std::vector<uint8_t>(file.begin(), file.end());
    }
    // Reaching the cap exactly is fine; one byte more is not, so decode one byte further.
    size_t decodeCap = capIsError ? cap + 1 : cap;
    GrowingOutput out(file, decodeCap);
    if (file[0] == 'C') {
        inflateBody(file.subspan(kHeaderSize), out);
    } else {
        if (file.size() < kLzmaHeaderSize) return makeError("LZMA-compressed SWF file is shorter than its 17-byte header");
        size_t declared = readLe32(file, 4);
        size_t declaredEnd = std::max(declared, kHeaderSize);
        unlzmaBody(file.subspan(12, 5), file.subspan(kLzmaHeaderSize), out, declaredEnd, decodeCap);
    }
    if (out.used() <= kHeaderSize && kHeaderSize < decodeCap) {
        return makeError(file[0] == 'C' ? "the zlib-compressed movie data cannot be decompressed"
                                        : "the LZMA-compressed movie data cannot be decompressed");
    }
    if (capIsError && out.used() > cap) return tooLarge(cap);
    return out.take();
}

}  // namespace

bool hasSwfSignature(std::span<const uint8_t> file) {
    if (file.size() < 3) return false;
    return (file[0] == 'F' || file[0] == 'C' || file[0] == 'Z') && file[1] == 'W' && file[2] == 'S';
}

Result<std::vector<uint8_t>> decompressMovie(std::span<const uint8_t> file, size_t limit) {
    return decompress(file, limit, true);
}

Result<std::vector<uint8_t>> decompressMoviePrefix(std::span<const uint8_t> file, size_t wanted) {
    return decompress(file, wanted, false);
}

}  // namespace kelmora::swf
