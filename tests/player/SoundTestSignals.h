#pragma once
// Test signals and their encodings for the sound tests: PCM bytes as SWF stores them, and packets
// made by libavcodec's own encoders (MP3 through LAME, SWF ADPCM, Nellymoser, Speex).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace kelmora::player::testing {

using SoundBytes = std::vector<uint8_t>;

inline std::vector<int16_t> sine(size_t frames, double hz, int rate, double amplitude = 12000) {
    std::vector<int16_t> s(frames);
    for (size_t i = 0; i < frames; ++i) s[i] = int16_t(std::lround(amplitude * std::sin(2 * M_PI * hz * double(i) / rate)));
    return s;
}

inline SoundBytes pcm16Bytes(const std::vector<int16_t>& samples) {
    SoundBytes b;
    for (int16_t v : samples) {
        b.push_back(uint8_t(v & 0xff));
        b.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return b;
}

inline SoundBytes withPrefix16(int16_t a, std::optional<int16_t> b, const SoundBytes& data) {
    SoundBytes out{uint8_t(a & 0xff), uint8_t(uint16_t(a) >> 8)};
    if (b) {
        out.push_back(uint8_t(*b & 0xff));
        out.push_back(uint8_t(uint16_t(*b) >> 8));
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

struct Encoded {
    std::vector<SoundBytes> packets;
    int delay = 0;        // samples the encoder put in front (initial padding)
    int frameSize = 0;    // samples per packet
    bool available = false;
};

// Encodes mono 16-bit samples with the named libavcodec encoder; the last packet is padded with silence.
// options: "key=value" for the encoder, or null.
inline Encoded encodeMono(const char* encoderName, const std::vector<int16_t>& samples, int rate, int bitRate = 0,
                          const char* options = nullptr) {
    Encoded result;
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
    if (!codec) return result;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    if (bitRate) ctx->bit_rate = bitRate;
    AVDictionary* dict = nullptr;
    if (options) av_dict_parse_string(&dict, options, "=", ",", 0);
    const int opened = avcodec_open2(ctx, codec, &dict);
    av_dict_free(&dict);
    if (opened < 0) {
        avcodec_free_context(&ctx);
        return result;
    }
    result.available = true;
    result.delay = ctx->initial_padding;
    result.frameSize = ctx->frame_size > 0 ? ctx->frame_size : 1024;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    auto drain = [&] {
        while (avcodec_receive_packet(ctx, packet) == 0) {
            result.packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (size_t at = 0; at < samples.size(); at += size_t(result.frameSize)) {
        frame->nb_samples = result.frameSize;
        frame->format = ctx->sample_fmt;
        av_channel_layout_default(&frame->ch_layout, 1);
        frame->sample_rate = rate;
        av_frame_get_buffer(frame, 0);
        for (int i = 0; i < result.frameSize; ++i) {
            const size_t k = at + size_t(i);
            const int16_t v = k < samples.size() ? samples[k] : 0;
            if (ctx->sample_fmt == AV_SAMPLE_FMT_FLTP || ctx->sample_fmt == AV_SAMPLE_FMT_FLT)
                reinterpret_cast<float*>(frame->data[0])[i] = float(v) / 32768.0f;
            else if (ctx->sample_fmt == AV_SAMPLE_FMT_S32P || ctx->sample_fmt == AV_SAMPLE_FMT_S32)
                reinterpret_cast<int32_t*>(frame->data[0])[i] = int32_t(v) << 16;
            else
                reinterpret_cast<int16_t*>(frame->data[0])[i] = v;
        }
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return result;
}

inline SoundBytes joined(const std::vector<SoundBytes>& packets) {
    SoundBytes all;
    for (const auto& p : packets) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Index of the loudest left-channel sample of an interleaved stereo track.
inline size_t peakFrame(const std::vector<int16_t>& track) {
    size_t best = 0;
    for (size_t i = 0; i < track.size() / 2; ++i)
        if (std::abs(track[2 * i]) > std::abs(track[2 * best])) best = i;
    return best;
}

// Times the left channel crosses zero going up: a tone's frequency times its seconds.
inline int upwardCrossings(const std::vector<int16_t>& track, size_t channels = 2) {
    int n = 0;
    for (size_t i = channels; i < track.size(); i += channels)
        if (track[i - channels] < 0 && track[i] >= 0) ++n;
    return n;
}

// DefineSound's body after the format byte: sample count, the MP3 seek when given, the data.
inline SoundBytes defineSoundRest(uint32_t sampleCount, std::optional<int16_t> mp3Seek, const SoundBytes& data) {
    SoundBytes out;
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(sampleCount >> (8 * i)));
    if (mp3Seek) out.insert(out.end(), {uint8_t(*mp3Seek & 0xff), uint8_t(uint16_t(*mp3Seek) >> 8)});
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A seed for fuzz_sound when KELMORA_SEED_DIR is set: the DefineSound format byte, the stream
// block length in units of 8 bytes (0: an event sound), then the rest of the DefineSound body
// (see defineSoundRest) or the stream's blocks.
inline void writeSoundSeed(const std::string& name, uint8_t formatByte, uint8_t blockUnits, const SoundBytes& data) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir || !*dir) return;
    std::filesystem::path folder = std::filesystem::path(dir) / "fuzz_sound";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::ofstream out(folder / name, std::ios::binary);
    out.put(char(formatByte));
    out.put(char(blockUnits));
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(std::min<size_t>(data.size(), 4096)));
}

}  // namespace kelmora::player::testing
