#include "sequence/VideoFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "util/TextNumber.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace kelmora {
namespace {

Error ffError(const std::string& what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return makeError(what + ": " + text, code);
}

struct Container {
    const char* extension;
    const char* format;
    const char* video;  // the usual codecs
    const char* sound;
};

constexpr Container kContainers[] = {
    {".avi", "avi", "mjpeg", "pcm"},
    {".mp4", "mp4", "h264", "aac"},
    {".mkv", "matroska", "h264", "aac"},
    {".webm", "webm", "vp9", "opus"},
};

const Container* containerOf(const std::string& path) {
    const std::string lower = toLower(path);
    for (const Container& c : kContainers) {
        const size_t n = std::strlen(c.extension);
        if (lower.size() > n && lower.compare(lower.size() - n, n, c.extension) == 0) return &c;
    }
    return nullptr;
}

// Encoder by our name; the outside libraries first where FFmpeg's own is missing or experimental.
const AVCodec* videoEncoder(const std::string& name) {
    if (name == "raw") return avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
    if (name == "mjpeg") return avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (name == "ffv1") return avcodec_find_encoder(AV_CODEC_ID_FFV1);
    if (name == "mpeg4") return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (name == "h264") return avcodec_find_encoder(AV_CODEC_ID_H264);
    if (name == "vp8") return avcodec_find_encoder(AV_CODEC_ID_VP8);
    if (name == "vp9") return avcodec_find_encoder(AV_CODEC_ID_VP9);
    return nullptr;
}

const AVCodec* soundEncoder(const std::string& name) {
    if (name == "pcm") return avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (name == "aac") return avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (name == "mp3") return avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (name == "opus") {
        const AVCodec* c = avcodec_find_encoder_by_name("libopus");
        return c ? c : avcodec_find_encoder(AV_CODEC_ID_OPUS);
    }
    if (name == "vorbis") {
        const AVCodec* c = avcodec_find_encoder_by_name("libvorbis");
        return c ? c : avcodec_find_encoder(AV_CODEC_ID_VORBIS);
    }
    if (name == "flac") return avcodec_find_encoder(AV_CODEC_ID_FLAC);
    return nullptr;
}

bool fits(const Container& c, const AVCodec* codec) {
    const AVOutputFormat* f = av_guess_format(c.format, nullptr, nullptr);
    return f && codec && avformat_query_codec(f, codec->id, FF_COMPLIANCE_NORMAL) == 1;
}

AVPixelFormat videoPixelFormat(const AVCodec* codec) {
    switch (codec->id) {
    case AV_CODEC_ID_RAWVIDEO: return AV_PIX_FMT_BGR24;
    case AV_CODEC_ID_MJPEG: return AV_PIX_FMT_YUVJ420P;
    case AV_CODEC_ID_FFV1: return AV_PIX_FMT_0RGB32;  // lossless RGB
    default: return AV_PIX_FMT_YUV420P;
    }
}

AVSampleFormat soundSampleFormat(const AVCodec* codec) {
    const AVSampleFormat* formats = codec->sample_fmts;
    if (!formats) return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = formats; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16) return *f;
    return formats[0];
}

// 44.1 kHz where the encoder takes it, else 48 kHz (Opus), else its first rate.
int soundSampleRate(const AVCodec* codec) {
    const int* rates = codec->supported_samplerates;
    if (!rates) return kSoundRate;
    for (const int* r = rates; *r; ++r)
        if (*r == kSoundRate) return kSoundRate;
    for (const int* r = rates; *r; ++r)
        if (*r == 48000) return 48000;
    return rates[0] ? rates[0] : kSoundRate;
}

}  // namespace

struct VideoFileWriter::State {
    VideoFileSettings settings;
    std::string videoName, soundName;
    AVFormatContext* format = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* soundStream = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* sound = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* soundFrame = nullptr;
    AVPacket* packet = nullptr;
    int64_t frames = 0;
    int64_t soundIn = 0;    // samples per channel given
    int64_t soundOut = 0;   // samples per channel sent to the encoder (its rate)
    bool headerWritten = false, failed = false, closed = false;

    Status fail(Error e) {
        failed = true;
        return e;
    }

    Status drain(AVCodecContext* encoder, AVStream* stream) {
        for (;;) {
            const int rc = avcodec_receive_packet(encoder, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return {};
            if (rc < 0) return fail(ffError("encoding", rc));
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int wrc = av_interleaved_write_frame(format, packet);
            av_packet_unref(packet);
            if (wrc < 0) return fail(ffError("writing the file", wrc));
        }
    }

    Status openVideo(const AVCodec* codec) {
        video = avcodec_alloc_context3(codec);
        if (!video) return fail(makeError("out of memory"));
        AVCodecContext* e = video;
        e->width = settings.width;
        e->height = settings.height;
        e->time_base = AVRational{settings.rateDenominator, settings.rateNumerator};
        e->framerate = AVRational{settings.rateNumerator, settings.rateDenominator};
        e->pix_fmt = videoPixelFormat(codec);
        const double fps = double(settings.rateNumerator) / settings.rateDenominator;
        e->gop_size = settings.keyFrameInterval > 0 ? settings.keyFrameInterval : std::max(1, int(std::lround(fps * 5)));
        e->thread_count = settings.threads;
        if (format->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int quality = std::clamp(settings.quality, 0, 100);
        if (codec->id == AV_CODEC_ID_MJPEG || codec->id == AV_CODEC_ID_MPEG4) {
            e->flags |= AV_CODEC_FLAG_QSCALE;  // quantiser 2 (best) to 31 (smallest)
            e->global_quality = FF_QP2LAMBDA * (2 + (100 - quality) * 29 / 100);
            if (codec->id == AV_CODEC_ID_MJPEG) e->color_range = AVCOL_RANGE_JPEG;
        } else if (codec->id == AV_CODEC_ID_H264) {
            av_opt_set_int(e->priv_data, "crf", (100 - quality) * 51 / 100, 0);
            av_opt_set(e->priv_data, "preset", "veryfast", 0);
            av_opt_set(e->priv_data, "tune", "animation", 0);
        } else if (codec->id == AV_CODEC_ID_VP8 || codec->id == AV_CODEC_ID_VP9) {
            av_opt_set_int(e->priv_data, "crf", 4 + (100 - quality) * 59 / 100, 0);
            av_opt_set(e->priv_data, "deadline", "realtime", 0);
            av_opt_set_int(e->priv_data, "cpu-used", 8, 0);
            e->bit_rate = 0;
        }
        int rc = avcodec_open2(e, codec, nullptr);
        if (rc < 0) return fail(ffError("opening the " + videoName + " encoder", rc));
        videoStream = avformat_new_stream(format, nullptr);
        if (!videoStream) return fail(makeError("out of memory"));
        rc = avcodec_parameters_from_context(videoStream->codecpar, e);
        if (rc < 0) return fail(ffError("opening the encoder", rc));
        videoStream->time_base = e->time_base;
        videoStream->avg_frame_rate = e->framerate;
        videoStream->r_frame_rate = e->framerate;
        picture = av_frame_alloc();
        if (!picture) return fail(makeError("out of memory"));
        picture->format = e->pix_fmt;
        picture->width = e->width;
        picture->height = e->height;
        rc = av_frame_get_buffer(picture, 0);
        if (rc < 0) return fail(ffError("allocating a frame", rc));
        scaler = sws_getContext(e->width, e->height, AV_PIX_FMT_BGRA, e->width, e->height, e->pix_fmt,
                                SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler) return fail(makeError("no conversion from the frames' format to the codec's"));
        return {};
    }

    // The stream of a Motion JPEG video whose frames come encoded.
    Status openJpegStream() {
        videoStream = avformat_new_stream(format, nullptr);
        if (!videoStream) return fail(makeError("out of memory"));
        AVCodecParameters* par = videoStream->codecpar;
        par->codec_type = AVMEDIA_TYPE_VIDEO;
        par->codec_id = AV_CODEC_ID_MJPEG;
        par->width = settings.width;
        par->height = settings.height;
        par->format = AV_PIX_FMT_YUVJ420P;
        par->color_range = AVCOL_RANGE_JPEG;
        videoStream->time_base = AVRational{settings.rateDenominator, settings.rateNumerator};
        videoStream->avg_frame_rate = AVRational{settings.rateNumerator, settings.rateDenominator};
        videoStream->r_frame_rate = videoStream->avg_frame_rate;
        return {};
    }

    Status openSound(const AVCodec* codec) {
        sound = avcodec_alloc_context3(codec);
        if (!sound) return fail(makeError("out of memory"));
        AVCodecContext* e = sound;
        e->sample_fmt = soundSampleFormat(codec);
        e->sample_rate = soundSampleRate(codec);
        av_channel_layout_default(&e->ch_layout, kSoundChannels);
        e->time_base = AVRational{1, e->sample_rate};
        e->bit_rate = codec->id == AV_CODEC_ID_OPUS ? 128000 : 192000;
        e->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
        if (format->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int rc = avcodec_open2(e, codec, nullptr);
        if (rc < 0) return fail(ffError("opening the " + soundName + " encoder", rc));
        soundStream = avformat_new_stream(format, nullptr);
        if (!soundStream) return fail(makeError("out of memory"));
        rc = avcodec_parameters_from_context(soundStream->codecpar, e);
        if (rc < 0) return fail(ffError("opening the sound encoder", rc));
        soundStream->time_base = e->time_base;
        AVChannelLayout stereo;
        av_channel_layout_default(&stereo, kSoundChannels);
        rc = swr_alloc_set_opts2(&resampler, &e->ch_layout, e->sample_fmt, e->sample_rate, &stereo, AV_SAMPLE_FMT_S16,
                                 kSoundRate, 0, nullptr);
        if (rc < 0 || (rc = swr_init(resampler)) < 0) return fail(ffError("preparing the sound conversion", rc));
        fifo = av_audio_fifo_alloc(e->sample_fmt, kSoundChannels, 4096);
        soundFrame = av_frame_alloc();
        if (!fifo || !soundFrame) return fail(makeError("out of memory"));
        return {};
    }

    // Sends whole encoder frames from the FIFO; at the end also the short rest.
    Status encodeSound(bool last) {
        const int frameSize = sound->frame_size > 0 ? sound->frame_size : 1024;
        const bool smallLast = sound->codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
        while (av_audio_fifo_size(fifo) >= frameSize || (last && av_audio_fifo_size(fifo) > 0)) {
            int n = std::min(av_audio_fifo_size(fifo), frameSize);
            av_frame_unref(soundFrame);
            soundFrame->format = sound->sample_fmt;
            soundFrame->sample_rate = sound->sample_rate;
            av_channel_layout_copy(&soundFrame->ch_layout, &sound->ch_layout);
            soundFrame->nb_samples = (n < frameSize && !smallLast) ? frameSize : n;
            int rc = av_frame_get_buffer(soundFrame, 0);
            if (rc < 0) return fail(ffError("allocating sound", rc));
            if (soundFrame->nb_samples > n)
                av_samples_set_silence(soundFrame->data, n, soundFrame->nb_samples - n, kSoundChannels, sound->sample_fmt);
            av_audio_fifo_read(fifo, reinterpret_cast<void**>(soundFrame->data), n);
            soundFrame->pts = soundOut;
            soundOut += soundFrame->nb_samples;
            rc = avcodec_send_frame(sound, soundFrame);
            if (rc < 0) return fail(ffError("encoding sound", rc));
            if (Status st = drain(sound, soundStream); !st) return st;
        }
        return {};
    }

    Status convertSound(const uint8_t* in, int count) {
        const int room = swr_get_out_samples(resampler, count);
        if (room < 0) return fail(makeError("sound conversion failed"));
        uint8_t** out = nullptr;
        int rc = av_samples_alloc_array_and_samples(&out, nullptr, kSoundChannels, std::max(room, 1), sound->sample_fmt, 0);
        if (rc < 0) return fail(ffError("allocating sound", rc));
        const uint8_t* inPlanes[1] = {in};
        const int got = swr_convert(resampler, out, room, count ? inPlanes : nullptr, count);
        if (got > 0) av_audio_fifo_write(fifo, reinterpret_cast<void**>(out), got);
        av_freep(&out[0]);
        av_freep(&out);
        if (got < 0) return fail(ffError("converting sound", got));
        return {};
    }

    void release() {
        sws_freeContext(scaler);
        scaler = nullptr;
        swr_free(&resampler);
        if (fifo) av_audio_fifo_free(fifo);
        fifo = nullptr;
        av_frame_free(&picture);
        av_frame_free(&soundFrame);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&sound);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
            format = nullptr;
        }
    }
};

VideoFileWriter::VideoFileWriter() : s_(std::make_unique<State>()) {}
VideoFileWriter::~VideoFileWriter() { (void)close(); }

std::vector<std::string> videoCodecsFor(const std::string& path) {
    std::vector<std::string> out;
    const Container* c = containerOf(path);
    if (!c) return out;
    for (const char* name : {"raw", "mjpeg", "ffv1", "mpeg4", "h264", "vp8", "vp9"})
        if (fits(*c, videoEncoder(name))) out.emplace_back(name);
    return out;
}

std::vector<std::string> soundCodecsFor(const std::string& path) {
    std::vector<std::string> out;
    const Container* c = containerOf(path);
    if (!c) return out;
    for (const char* name : {"pcm", "aac", "mp3", "opus", "vorbis", "flac"})
        if (fits(*c, soundEncoder(name))) out.emplace_back(name);
    return out;
}

Result<std::unique_ptr<VideoFileWriter>> VideoFileWriter::open(const VideoFileSettings& settings) {
    const Container* container = containerOf(settings.path);
    if (!container) return makeError("the video file must end in .avi, .mp4, .mkv or .webm");
    if (settings.width <= 0 || settings.height <= 0 || settings.rateNumerator <= 0 || settings.rateDenominator <= 0)
        return makeError("bad video size or frame rate");
    std::unique_ptr<VideoFileWriter> writer(new VideoFileWriter);
    State& s = *writer->s_;
    s.settings = settings;
    s.videoName = settings.videoCodec.empty() ? container->video : settings.videoCodec;
    const AVCodec* videoCodec = videoEncoder(s.videoName);
    if (settings.videoCodec.empty() && !videoCodec && s.videoName == std::string("h264")) {
        s.videoName = "mpeg4";
        videoCodec = videoEncoder(s.videoName);
    }
    if (!videoCodec) return makeError("this machine's FFmpeg has no " + s.videoName + " encoder");
    if (!fits(*container, videoCodec)) return makeError(s.videoName + " does not go into a " + container->extension + " file");
    if (videoPixelFormat(videoCodec) != AV_PIX_FMT_BGR24 && videoPixelFormat(videoCodec) != AV_PIX_FMT_0RGB32 &&
        (settings.width % 2 || settings.height % 2))
        return makeError(s.videoName + " needs an even width and height");
    const AVCodec* soundCodec = nullptr;
    if (settings.sound) {
        s.soundName = settings.soundCodec.empty() ? container->sound : settings.soundCodec;
        soundCodec = soundEncoder(s.soundName);
        if (!soundCodec) return makeError("this machine's FFmpeg has no " + s.soundName + " encoder");
        if (!fits(*container, soundCodec)) return makeError(s.soundName + " does not go into a " + container->extension + " file");
    }
    int rc = avformat_alloc_output_context2(&s.format, av_guess_format(container->format, nullptr, nullptr), nullptr,
                                            settings.path.c_str());
    if (rc < 0) return ffError("preparing the video file", rc);
    s.packet = av_packet_alloc();
    if (!s.packet) return makeError("out of memory");
    s.settings.jpegFrames = settings.jpegFrames && videoCodec->id == AV_CODEC_ID_MJPEG;
    if (Status st = s.settings.jpegFrames ? s.openJpegStream() : s.openVideo(videoCodec); !st) return st.error();
    if (soundCodec) {
        if (Status st = s.openSound(soundCodec); !st) return st.error();
    }
    rc = avio_open(&s.format->pb, settings.path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) return ffError("creating \"" + settings.path + "\"", rc);
    rc = avformat_write_header(s.format, nullptr);
    if (rc < 0) return ffError("writing the file header", rc);
    s.headerWritten = true;
    return writer;
}

Status VideoFileWriter::writeFrame(const uint32_t* argb, int strideInPixels) {
    State& s = *s_;
    if (!s.headerWritten || s.failed || s.closed || !s.video) return makeError("the video file is not open");
    int rc = av_frame_make_writable(s.picture);
    if (rc < 0) return s.fail(ffError("allocating a frame", rc));
    const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb), nullptr, nullptr, nullptr};
    const int srcStride[4] = {strideInPixels * 4, 0, 0, 0};
    sws_scale(s.scaler, src, srcStride, 0, s.settings.height, s.picture->data, s.picture->linesize);
    s.picture->pts = s.frames;
    s.picture->quality = s.video->global_quality;
    rc = avcodec_send_frame(s.video, s.picture);
    if (rc < 0) return s.fail(ffError("encoding", rc));
    if (Status st = s.drain(s.video, s.videoStream); !st) return st;
    ++s.frames;
    return {};
}

bool VideoFileWriter::takesJpegFrames() const { return s_->settings.jpegFrames; }

Status VideoFileWriter::writeJpegFrame(std::span<const uint8_t> jpeg) {
    State& s = *s_;
    if (!s.headerWritten || s.failed || s.closed || !s.settings.jpegFrames) return makeError("the video file is not open");
    int rc = av_new_packet(s.packet, int(jpeg.size()));
    if (rc < 0) return s.fail(ffError("allocating a packet", rc));
    std::memcpy(s.packet->data, jpeg.data(), jpeg.size());
    s.packet->pts = s.packet->dts = s.frames;
    s.packet->duration = 1;
    s.packet->flags |= AV_PKT_FLAG_KEY;
    av_packet_rescale_ts(s.packet, AVRational{s.settings.rateDenominator, s.settings.rateNumerator}, s.videoStream->time_base);
    s.packet->stream_index = s.videoStream->index;
    rc = av_interleaved_write_frame(s.format, s.packet);
    av_packet_unref(s.packet);
    if (rc < 0) return s.fail(ffError("writing the file", rc));
    ++s.frames;
    return {};
}

Status VideoFileWriter::writeSound(std::span<const int16_t> samples) {
    State& s = *s_;
    if (!s.headerWritten || s.failed || s.closed) return makeError("the video file is not open");
    if (!s.sound || samples.empty()) return {};
    const int count = int(samples.size() / kSoundChannels);
    s.soundIn += count;
    if (Status st = s.convertSound(reinterpret_cast<const uint8_t*>(samples.data()), count); !st) return st;
    return s.encodeSound(false);
}

Status VideoFileWriter::close() {
    State& s = *s_;
    if (s.closed) return {};
    s.closed = true;
    Status result;
    if (s.headerWritten && !s.failed) {
        if (s.sound) {
            Status st = s.convertSound(nullptr, 0);  // the resampler's tail
            if (st) st = s.encodeSound(true);
            if (st && avcodec_send_frame(s.sound, nullptr) >= 0) st = s.drain(s.sound, s.soundStream);
            if (!st) result = st;
        }
        if (!s.failed && s.video) {
            const int rc = avcodec_send_frame(s.video, nullptr);
            Status st = rc < 0 ? s.fail(ffError("encoding", rc)) : s.drain(s.video, s.videoStream);
            if (!st) result = st;
        }
        if (!s.failed) {
            const int rc = av_write_trailer(s.format);
            if (rc < 0) result = s.fail(ffError("writing the index", rc));
            else if (s.format->pb->error < 0) result = s.fail(ffError("writing the file", s.format->pb->error));
        }
    }
    s.release();
    return result;
}

int64_t VideoFileWriter::framesWritten() const { return s_->frames; }
int64_t VideoFileWriter::soundFramesWritten() const { return s_->soundIn; }
bool VideoFileWriter::hasSound() const { return s_->soundStream != nullptr; }
const std::string& VideoFileWriter::videoCodec() const { return s_->videoName; }
const std::string& VideoFileWriter::soundCodec() const { return s_->soundName; }

}  // namespace kelmora
