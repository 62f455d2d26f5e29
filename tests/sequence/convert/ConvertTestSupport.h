#pragma once
// Reading back what a conversion wrote: pictures through Qt, sound tracks through FFmpeg, and
// the frames the player itself draws to compare them with.
#include <QImage>

#include <string>
#include <vector>

#include "player/Player.h"
#include "sequence/SequenceTestSupport.h"

extern "C" {
#include <libswresample/swresample.h>
}

namespace kelmora::testing {

// The player's own frames 1..count at the movie's size, as 0xRRGGBB (or 0xAARRGGBB when keepAlpha).
inline std::vector<std::vector<uint32_t>> playerFrames(const std::string& movie, int count, bool keepAlpha = false) {
    player::Player p;
    p.setTransparentStage(keepAlpha);
    std::vector<std::vector<uint32_t>> frames;
    if (!p.load(movie)) return frames;
    for (int k = 1; k <= count; ++k) {
        if (k > 1) p.advance();
        player::PixelBuffer picture;
        p.render(picture);
        std::vector<uint32_t> pixels(picture.data(), picture.data() + size_t(picture.width()) * size_t(picture.height()));
        if (!keepAlpha)
            for (auto& v : pixels) v &= 0xFFFFFF;
        frames.push_back(std::move(pixels));
    }
    return frames;
}

// A picture file as 0xRRGGBB words (0xAARRGGBB premultiplied when keepAlpha); empty when unreadable.
inline std::vector<uint32_t> readPicture(const std::string& path, int* width = nullptr, int* height = nullptr,
                                         bool keepAlpha = false) {
    QImage image(QString::fromStdString(path));
    if (image.isNull()) return {};
    image = image.convertToFormat(keepAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (width) *width = image.width();
    if (height) *height = image.height();
    std::vector<uint32_t> out;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) out.push_back(keepAlpha ? row[x] : row[x] & 0xFFFFFF);
    }
    return out;
}

struct SoundTrack {
    std::string codec;
    int sampleRate = 0;
    std::vector<int16_t> samples;  // interleaved stereo after decoding
    int64_t frames() const { return int64_t(samples.size() / 2); }
    // Index (per channel) of the first sample louder than the threshold; -1 when all are quiet.
    int64_t firstLoud(int threshold = 1000) const {
        for (size_t i = 0; i < samples.size(); ++i)
            if (std::abs(int(samples[i])) > threshold) return int64_t(i / 2);
        return -1;
    }
};

inline SoundTrack readSoundTrack(const std::string& path) {
    SoundTrack out;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return out;
    avformat_find_stream_info(fmt, nullptr);
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&fmt);
        return out;
    }
    AVStream* st = fmt->streams[index];
    out.codec = avcodec_get_name(st->codecpar->codec_id);
    out.sampleRate = st->codecpar->sample_rate;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* dec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec, st->codecpar);
    avcodec_open2(dec, codec, nullptr);
    SwrContext* swr = nullptr;
    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, dec->sample_rate, &dec->ch_layout, dec->sample_fmt,
                        dec->sample_rate, 0, nullptr);
    swr_init(swr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&] {
        while (avcodec_receive_frame(dec, frame) == 0) {
            std::vector<int16_t> buf(size_t(frame->nb_samples) * 2 + 64);
            uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(buf.data())};
            const int n = swr_convert(swr, dst, frame->nb_samples + 32, const_cast<const uint8_t**>(frame->extended_data),
                                      frame->nb_samples);
            if (n > 0) out.samples.insert(out.samples.end(), buf.begin(), buf.begin() + n * 2);
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
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return out;
}

}  // namespace kelmora::testing
