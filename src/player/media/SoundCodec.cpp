#include "player/media/SoundCodec.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace kelmora::player {

namespace {

// One sample of any libavcodec format as 16-bit.
int16_t sampleAt(const AVFrame& f, AVSampleFormat format, bool planar, int channel, int index, int channels) {
    const uint8_t* base = planar ? f.extended_data[channel] : f.extended_data[0];
    const size_t at = planar ? size_t(index) : size_t(index) * size_t(channels) + size_t(channel);
    auto clampFloat = [](double v) { return int16_t(std::lrint(std::clamp(v, -1.0, 1.0) * 32767.0)); };
    switch (format) {
    case AV_SAMPLE_FMT_U8: return int16_t((int(base[at]) - 128) << 8);
    case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(base)[at];
    case AV_SAMPLE_FMT_S32: return int16_t(reinterpret_cast<const int32_t*>(base)[at] >> 16);
    case AV_SAMPLE_FMT_FLT: return clampFloat(reinterpret_cast<const float*>(base)[at]);
    case AV_SAMPLE_FMT_DBL: return clampFloat(reinterpret_cast<const double*>(base)[at]);
    default: return 0;
    }
}

bool knownFormat(AVSampleFormat packed) {
    return packed == AV_SAMPLE_FMT_U8 || packed == AV_SAMPLE_FMT_S16 || packed == AV_SAMPLE_FMT_S32 ||
           packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_DBL;
}

AVCodecID avCodecOf(SoundCodecId codec) {
    switch (codec) {
    case SoundCodecId::Adpcm: return AV_CODEC_ID_ADPCM_SWF;
    case SoundCodecId::Mp3: return AV_CODEC_ID_MP3;
    case SoundCodecId::Nellymoser: return AV_CODEC_ID_NELLYMOSER;
    case SoundCodecId::Speex: return AV_CODEC_ID_SPEEX;
    }
    return AV_CODEC_ID_NONE;
}

const char* codecName(SoundCodecId codec) {
    switch (codec) {
    case SoundCodecId::Adpcm: return "ADPCM";
    case SoundCodecId::Mp3: return "MP3";
    case SoundCodecId::Nellymoser: return "Nellymoser";
    case SoundCodecId::Speex: return "Speex";
    }
    return "?";
}

}  // namespace

int doubledRate(int sampleRate) { return sampleRate == 5512 ? 11025 : sampleRate * 2; }

void SourcePcm::append(const int16_t* interleaved, size_t frameCount) {
    const size_t room = maxFrames > frames() ? maxFrames - frames() : 0;
    if (frameCount > room) {
        frameCount = room;
        cut = true;
    }
    samples.insert(samples.end(), interleaved, interleaved + frameCount * size_t(channels));
}

struct SoundCodecSession::Impl {
    AVCodecContext* ctx = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    std::vector<int16_t> scratch;

    ~Impl() {
        avcodec_free_context(&ctx);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
};

SoundCodecSession::~SoundCodecSession() = default;

Result<std::unique_ptr<SoundCodecSession>> SoundCodecSession::open(SoundCodecId codec, int sampleRate, int channels) {
    const AVCodec* decoder = nullptr;
    // The libspeex decoder reads several frames from one packet, as SWF blocks hold them.
    if (codec == SoundCodecId::Speex) decoder = avcodec_find_decoder_by_name("libspeex");
    if (!decoder) decoder = avcodec_find_decoder(avCodecOf(codec));
    if (!decoder) return makeError(std::string("no ") + codecName(codec) + " decoder in this FFmpeg");
    std::unique_ptr<SoundCodecSession> session(new SoundCodecSession);
    session->impl_ = std::make_unique<Impl>();
    Impl& s = *session->impl_;
    s.ctx = avcodec_alloc_context3(decoder);
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.ctx || !s.packet || !s.frame) return makeError("out of memory for the sound decoder");
    s.ctx->sample_rate = sampleRate;
    av_channel_layout_default(&s.ctx->ch_layout, channels);
    if (avcodec_open2(s.ctx, decoder, nullptr) < 0)
        return makeError(std::string("the ") + codecName(codec) + " decoder does not open");
    session->doubledRate_ = doubledRate(sampleRate);
    return session;
}

void SoundCodecSession::decode(std::span<const uint8_t> bytes, SourcePcm& out) {
    if (bytes.empty() || out.cut) return;
    Impl& s = *impl_;
    // The packet needs zeroed padding behind the data: libavcodec's readers overshoot by design.
    if (av_new_packet(s.packet, int(std::min<size_t>(bytes.size(), INT32_MAX / 2))) < 0) return;
    std::copy_n(bytes.begin(), s.packet->size, s.packet->data);
    int sent = avcodec_send_packet(s.ctx, s.packet);
    av_packet_unref(s.packet);
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
        ++broken_;
        return;
    }
    receive(out);
}

void SoundCodecSession::flush(SourcePcm& out) {
    if (avcodec_send_packet(impl_->ctx, nullptr) >= 0) receive(out);
}

void SoundCodecSession::receive(SourcePcm& out) {
    Impl& s = *impl_;
    for (;;) {
        int got = avcodec_receive_frame(s.ctx, s.frame);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
        if (got < 0) {
            ++broken_;
            return;
        }
        const AVFrame& f = *s.frame;
        const auto format = AVSampleFormat(f.format);
        const int channels = std::min(f.ch_layout.nb_channels, 2);
        // A few decoders leave the rate as it was set; SWF's 5512 is then kept at 5512.5.
        const int rate = f.sample_rate == 5512 ? 11025 : f.sample_rate > 0 ? f.sample_rate * 2 : doubledRate_;
        if (out.channels == 0 && channels > 0) {
            out.channels = channels;
            out.doubledRate = rate;
        }
        if (channels != out.channels || rate != out.doubledRate || !knownFormat(av_get_packed_sample_fmt(format)) ||
            f.nb_samples <= 0) {
            ++broken_;
            av_frame_unref(s.frame);
            continue;
        }
        const bool planar = av_sample_fmt_is_planar(format);
        const AVSampleFormat packed = av_get_packed_sample_fmt(format);
        s.scratch.resize(size_t(f.nb_samples) * size_t(channels));
        for (int i = 0; i < f.nb_samples; ++i)
            for (int c = 0; c < channels; ++c)
                s.scratch[size_t(i) * size_t(channels) + size_t(c)] =
                    sampleAt(f, packed, planar, c, i, f.ch_layout.nb_channels);
        out.append(s.scratch.data(), size_t(f.nb_samples));
        av_frame_unref(s.frame);
    }
}

Result<PcmSound> resampleToMixRate(SourcePcm&& source) {
    PcmSound pcm;
    pcm.channels = source.channels == 2 ? 2 : 1;
    pcm.cut = source.cut;
    if (source.channels == 0 || source.samples.empty()) return pcm;
    if (source.doubledRate == 2 * kMixRate) {
        pcm.samples = std::move(source.samples);
        return pcm;
    }
    if (source.doubledRate <= 0) return makeError("sound without a sample rate");
    AVChannelLayout layout;
    av_channel_layout_default(&layout, pcm.channels);
    SwrContext* swr = nullptr;
    // Both rates doubled: only the ratio matters, and 5512.5 Hz becomes a whole number.
    if (swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_S16, 2 * kMixRate, &layout, AV_SAMPLE_FMT_S16,
                            source.doubledRate, 0, nullptr) < 0 ||
        swr_init(swr) < 0) {
        swr_free(&swr);
        return makeError("the resampler does not open");
    }
    const size_t inFrames = source.frames();
    const size_t expected = size_t(av_rescale_rnd(int64_t(inFrames), 2 * kMixRate, source.doubledRate, AV_ROUND_NEAR_INF));
    const size_t length = std::min(expected, kMaxSoundFrames);
    const size_t capacity = length + 256;  // room for the resampler's rounding
    pcm.samples.resize(capacity * size_t(pcm.channels));
    size_t produced = 0;
    auto convert = [&](const int16_t* from, int count) {
        const auto* in = reinterpret_cast<const uint8_t*>(from);
        auto* dst = reinterpret_cast<uint8_t*>(&pcm.samples[produced * size_t(pcm.channels)]);
        int got = swr_convert(swr, &dst, int(capacity - produced), from ? &in : nullptr, count);
        if (got > 0) produced += size_t(got);
        return got >= 0;
    };
    constexpr size_t kChunk = 1 << 15;
    bool ok = true;
    for (size_t at = 0; ok && at < inFrames && produced < length; at += kChunk)
        ok = convert(&source.samples[at * size_t(pcm.channels)], int(std::min(kChunk, inFrames - at)));
    if (ok && produced < length) convert(nullptr, 0);  // what the filter still holds
    swr_free(&swr);
    // Exactly the ratio's length: a missing sample at the end is silence, an extra one dropped.
    std::fill(pcm.samples.begin() + std::ptrdiff_t(std::min(produced, length) * size_t(pcm.channels)), pcm.samples.end(), 0);
    pcm.samples.resize(length * size_t(pcm.channels));
    pcm.samples.shrink_to_fit();
    if (expected > kMaxSoundFrames) pcm.cut = true;
    return pcm;
}

}  // namespace kelmora::player
