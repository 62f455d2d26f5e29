#include "swf/writer/SwfWriter.h"

#include <lzma.h>
#include <zlib.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace kelmora::swf {

SwfWriter::SwfWriter(int swfVersion) : Timeline(swfVersion) {
    if (swfVersion < 1 || swfVersion > 255) throw std::out_of_range("SWF version must be 1 to 255");
}

SwfWriter& SwfWriter::frameSize(const Rect& twips) {
    frameSize_ = twips;
    return *this;
}

SwfWriter& SwfWriter::frameSizePixels(double width, double height) { return frameSize(Rect::fromPixels(width, height)); }

SwfWriter& SwfWriter::frameRate(double framesPerSecond) {
    const double raw = std::round(framesPerSecond * 256.0);
    if (!(raw >= 0 && raw <= 65535)) throw std::out_of_range("frame rate out of range");
    frameRate_ = static_cast<std::uint16_t>(raw);
    return *this;
}

SwfWriter& SwfWriter::frameRateRaw(std::uint16_t fixed8) {
    frameRate_ = fixed8;
    return *this;
}

SwfWriter& SwfWriter::compression(Compression c) {
    compression_ = c;
    return *this;
}

SwfWriter& SwfWriter::frameCountOverride(std::uint16_t frames) {
    frameCount_ = frames;
    return *this;
}

SwfWriter& SwfWriter::fileLengthOverride(std::uint32_t length) {
    fileLength_ = length;
    return *this;
}

SwfWriter& SwfWriter::withoutEnd() {
    appendEnd_ = false;
    return *this;
}

Bytes SwfWriter::uncompressedBytes() const {
    const Bytes tags = tagBytes(appendEnd_);
    BitWriter w;
    w.bytes(std::string_view("FWS")).u8(static_cast<std::uint32_t>(version())).u32(0);
    writeRect(w, frameSize_);
    w.u16(frameRate_).u16(frameCount_.value_or(static_cast<std::uint16_t>(frameCount())));
    w.bytes(tags);
    w.patchU32(4, fileLength_.value_or(static_cast<std::uint32_t>(w.size())));
    return w.take();
}

Bytes zlibCompress(std::span<const std::uint8_t> data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

Bytes lzmaCompressWithProps(std::span<const std::uint8_t> data) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6)) throw std::runtime_error("LZMA preset failed");
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes out(5);
    if (lzma_properties_encode(&filters[0], out.data()) != LZMA_OK) throw std::runtime_error("LZMA properties failed");
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) throw std::runtime_error("LZMA encoder failed");
    out.resize(5 + data.size() + data.size() / 2 + 1024);
    stream.next_in = data.data();
    stream.avail_in = data.size();
    stream.next_out = out.data() + 5;
    stream.avail_out = out.size() - 5;
    lzma_ret ret = LZMA_OK;
    while (ret == LZMA_OK) {
        if (stream.avail_out == 0) {
            const std::size_t used = out.size();
            out.resize(out.size() * 2);
            stream.next_out = out.data() + used;
            stream.avail_out = out.size() - used;
        }
        ret = lzma_code(&stream, LZMA_FINISH);
    }
    const std::size_t produced = stream.total_out;
    lzma_end(&stream);
    if (ret != LZMA_STREAM_END) throw std::runtime_error("LZMA compression failed");
    out.resize(5 + produced);
    return out;
}

Bytes SwfWriter::bytes() const {
    Bytes plain = uncompressedBytes();
    if (compression_ == Compression::None) return plain;
    const std::span<const std::uint8_t> body(plain.data() + 8, plain.size() - 8);
    BitWriter w;
    if (compression_ == Compression::Zlib) {
        w.bytes(std::string_view("CWS")).bytes(std::span<const std::uint8_t>(plain.data() + 3, 5));
        w.bytes(zlibCompress(body));
    } else {
        const Bytes packed = lzmaCompressWithProps(body);
        w.bytes(std::string_view("ZWS")).bytes(std::span<const std::uint8_t>(plain.data() + 3, 5));
        w.u32(static_cast<std::uint32_t>(packed.size() - 5));
        w.bytes(packed);
    }
    return w.take();
}

Status SwfWriter::writeFile(const std::string& path) const {
    const Bytes data = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return makeError("Cannot create " + path);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) return makeError("Cannot write " + path);
    return Status::success();
}

}  // namespace kelmora::swf
