#pragma once
// Shared pieces of the sequence tests: a scratch folder, BMP files made to order (any bit depth,
// either row direction) with the colours they stand for, and an AVI reader over FFmpeg.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "util/MessageSink.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace kelmora::testing {

class RecordingMessageSink : public MessageSink {
public:
    MessageAnswer show(const Message& message) override {
        messages.push_back(message);
        return answer;
    }
    std::vector<Message> messages;
    MessageAnswer answer = MessageAnswer::Ok;
};

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmora-seq-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A picture as colours, top row first, 0xRRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
};

inline void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A BMP file whose pixels vary with the seed. Bit counts 1, 4 and 8 get a colour table of
// distinct colours; 16 is 5-5-5; 24 and 32 are true colour.
inline std::vector<uint8_t> makeBmp(int width, int height, int bits, bool bottomUp, int seed, Picture* picture = nullptr) {
    const int entries = bits <= 8 ? (1 << bits) : 0;
    const size_t stride = size_t((width * bits + 31) / 32 * 4);
    const size_t offBits = 54 + size_t(entries) * 4;
    std::vector<uint8_t> f(offBits + stride * size_t(height), 0);
    f[0] = 'B'; f[1] = 'M';
    put32(f, 2, uint32_t(f.size()));
    put32(f, 10, uint32_t(offBits));
    put32(f, 14, 40);
    put32(f, 18, uint32_t(width));
    put32(f, 22, uint32_t(bottomUp ? height : -height));
    put16(f, 26, 1);
    put16(f, 28, uint32_t(bits));
    put32(f, 34, uint32_t(stride * size_t(height)));
    std::vector<uint32_t> table(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        table[size_t(i)] = uint32_t((i * 37 + seed * 11) & 0xFF) << 16 | uint32_t((i * 91 + 7) & 0xFF) << 8 | uint32_t((255 - i * 13) & 0xFF);
        put32(f, 54 + size_t(i) * 4, table[size_t(i)]);
    }
    Picture pic{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y) {
        const size_t row = offBits + stride * size_t(bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = uint32_t(x * 7 + y * 13 + seed * 29 + (x * y) % 17);
            uint32_t rgb = 0;
            if (bits <= 8) {
                const uint32_t index = v % uint32_t(entries);
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                f[row + size_t(x / perByte)] |= uint8_t(index << shift);
                rgb = table[index];
            } else if (bits == 16) {
                const uint32_t r = v % 32, g = (v * 3) % 32, b = (v * 5) % 32;
                put16(f, row + size_t(x) * 2, r << 10 | g << 5 | b);
                rgb = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
            } else {
                const uint32_t r = v & 0xFF, g = (v * 3 + 40) & 0xFF, b = (v * 5 + 90) & 0xFF;
                const size_t at = row + size_t(x) * size_t(bits / 8);
                f[at] = uint8_t(b); f[at + 1] = uint8_t(g); f[at + 2] = uint8_t(r);
                rgb = r << 16 | g << 8 | b;
            }
            pic.rgb[size_t(y) * size_t(width) + size_t(x)] = rgb;
        }
    }
    if (picture) *picture = std::move(pic);
    return f;
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// What FFmpeg reads back from an AVI file.
struct ReadBack {
    bool opened = false;
    std::string codec;
    int width = 0, height = 0;
    AVRational rate{0, 1};
    std::vector<Picture> frames;
};

inline ReadBack readAvi(const std::string& path) {
    ReadBack out;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return out;
    avformat_find_stream_info(fmt, nullptr);
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&fmt);
        return out;
    }
    AVStream* st = fmt->streams[index];
    out.opened = true;
    out.codec = avcodec_get_name(st->codecpar->codec_id);
    out.width = st->codecpar->width;
    out.height = st->codecpar->height;
    out.rate = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* dec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec, st->codecpar);
    avcodec_open2(dec, codec, nullptr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&] {
        while (avcodec_receive_frame(dec, frame) == 0) {
            // swscale's vector code may write a little past the last row: room for one more row.
            Picture p{frame->width, frame->height, std::vector<uint32_t>(size_t(frame->width) * size_t(frame->height + 1) + 64)};
            SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                             frame->height, AV_PIX_FMT_0RGB32, SWS_POINT, nullptr, nullptr, nullptr);
            uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(p.rgb.data()), nullptr, nullptr, nullptr};
            int dstStride[4] = {frame->width * 4, 0, 0, 0};
            sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
            sws_freeContext(sws);
            p.rgb.resize(size_t(frame->width) * size_t(frame->height));
            for (auto& v : p.rgb) v &= 0xFFFFFF;
            out.frames.push_back(std::move(p));
        }
    };
    while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == index) {
            avcodec_send_packet(dec, pkt);
            take();
        }
        av_packet_unref(pkt);
    }
    avcodec_send_packet(dec, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return out;
}

}  // namespace kelmora::testing
