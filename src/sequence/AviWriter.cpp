#include "sequence/AviWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sequence/BitmapFormat.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace kelmora {
namespace {

Error ffError(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return makeError(std::string(what) + ": " + text, code);
}

const AVCodec* findEncoder(const std::string& codec) {
    if (codec == "mjpeg") return avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (codec == "ffv1") return avcodec_find_encoder(AV_CODEC_ID_FFV1);
    if (codec == "mpeg4") return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (codec == "h264") return avcodec_find_encoder(AV_CODEC_ID_H264);
    return nullptr;
}

// Players expect 4:2:0 from these; MJPEG takes its full-range variant, FFV1 keeps RGB lossless.
AVPixelFormat encoderFormat(const AVCodec* codec, AVPixelFormat source) {
    switch (codec->id) {
    case AV_CODEC_ID_MJPEG: return AV_PIX_FMT_YUVJ420P;
    case AV_CODEC_ID_MPEG4: return AV_PIX_FMT_YUV420P;
    case AV_CODEC_ID_H264: return AV_PIX_FMT_YUV420P;
    case AV_CODEC_ID_FFV1: return source == AV_PIX_FMT_BGRA ? AV_PIX_FMT_BGRA : AV_PIX_FMT_0RGB32;
    default: return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
    }
}

}  // namespace

struct AviWriter::State {
    std::string path;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* encoder = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::vector<uint8_t> unpacked;  // low bit depths spread to PAL8
    CompressorChoice choice;
    BitmapFormat bitmap;
    int rate = 12;
    int32_t width = 0, height = 0;
    bool streamCreated = false, compressorSet = false, headerWritten = false;
    bool failed = false, closed = false;
    int64_t frames = 0;
    int64_t goodSize = 0;  // file length after the last whole frame

    Status fail(Error e) {
        failed = true;
        return e;
    }
    Status afterWrite() {
        avio_flush(format->pb);
        if (format->pb->error < 0) return fail(ffError("writing the file", format->pb->error));
        goodSize = avio_tell(format->pb);
        return {};
    }
    Status writePacket(AVPacket* p) {
        av_packet_rescale_ts(p, encoder ? encoder->time_base : AVRational{1, rate}, stream->time_base);
        p->stream_index = stream->index;
        const int rc = av_write_frame(format, p);
        if (rc < 0) return fail(ffError("writing the file", rc));
        return afterWrite();
    }
    Status drain() {
        for (;;) {
            const int rc = avcodec_receive_packet(encoder, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return {};
            if (rc < 0) return fail(ffError("encoding", rc));
            Status st = writePacket(packet);
            av_packet_unref(packet);
            if (!st) return st;
        }
    }
    void release() {
        sws_freeContext(scaler);
        scaler = nullptr;
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&encoder);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
            format = nullptr;
        }
    }
};

AviWriter::AviWriter() : s_(std::make_unique<State>()) {}
AviWriter::~AviWriter() { (void)close(); }

int64_t AviWriter::framesWritten() const { return s_->frames; }

Status AviWriter::open(const std::string& path) {
    if (s_->format) return makeError("the file is already open");
    s_->path = path;
    int rc = avformat_alloc_output_context2(&s_->format, av_guess_format("avi", nullptr, nullptr), nullptr, path.c_str());
    if (rc < 0) return s_->fail(ffError("preparing the AVI file", rc));
    rc = avio_open(&s_->format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) return s_->fail(ffError("creating the file", rc));
    s_->packet = av_packet_alloc();
    if (!s_->packet) return s_->fail(makeError("out of memory"));
    return {};
}

Status AviWriter::createStream(int rate, int32_t width, int32_t height) {
    if (!s_->format || s_->failed) return makeError("the file is not open");
    if (rate < 1 || width <= 0 || height <= 0) return s_->fail(makeError("bad stream values"));
    s_->stream = avformat_new_stream(s_->format, nullptr);
    if (!s_->stream) return s_->fail(makeError("out of memory"));
    s_->rate = rate;
    s_->width = width;
    s_->height = height;
    s_->stream->time_base = AVRational{1, rate};
    s_->stream->avg_frame_rate = AVRational{rate, 1};
    s_->stream->r_frame_rate = AVRational{rate, 1};
    s_->streamCreated = true;
    return {};
}

Status AviWriter::setCompressor(const CompressorChoice& choice) {
    if (!s_->streamCreated || s_->failed) return makeError("no stream");
    if (choice.codec != "raw" && !findEncoder(choice.codec)) {
        return s_->fail(makeError("this machine's FFmpeg has no " + choice.codec + " encoder"));
    }
    s_->choice = choice;
    s_->compressorSet = true;
    return {};
}

Status AviWriter::setFormat(std::span<const uint8_t> bitmapInfo) {
    State& s = *s_;
    if (!s.compressorSet || s.failed || s.headerWritten) return makeError("no compressor");
    auto described = describeBitmap(bitmapInfo);
    if (!described) return s.fail(described.error());
    s.bitmap = *described;
    AVCodecParameters* par = s.stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->width = s.bitmap.width;
    par->height = s.bitmap.height;
    AVDictionary* muxOptions = nullptr;
    if (s.choice.codec == "raw") {
        par->codec_id = AV_CODEC_ID_RAWVIDEO;
        par->codec_tag = 0;
        par->format = s.bitmap.pixelFormat;
        par->bits_per_coded_sample = s.bitmap.bitCount;
        // The pixel blocks go in unchanged, rows in the pictures' own direction.
        if (s.bitmap.bottomUp) av_dict_set(&muxOptions, "flipped_raw_rgb", "1", 0);
    } else {
        const AVCodec* codec = findEncoder(s.choice.codec);
        const bool needsEven = codec->id == AV_CODEC_ID_H264 || codec->id == AV_CODEC_ID_MPEG4 ||
                               codec->id == AV_CODEC_ID_MJPEG;
        if (needsEven && (s.bitmap.width % 2 || s.bitmap.height % 2)) {
            return s.fail(makeError(s.choice.codec + " needs an even width and height"));
        }
        s.encoder = avcodec_alloc_context3(codec);
        if (!s.encoder) return s.fail(makeError("out of memory"));
        AVCodecContext* e = s.encoder;
        e->width = s.bitmap.width;
        e->height = s.bitmap.height;
        e->time_base = AVRational{1, s.rate};
        e->framerate = AVRational{s.rate, 1};
        e->pix_fmt = encoderFormat(codec, s.bitmap.pixelFormat);
        e->gop_size = std::max(1, s.choice.keyFrameInterval);
        e->thread_count = 0;
        const int quality = std::clamp(s.choice.quality, 0, 100);
        if (codec->id == AV_CODEC_ID_MJPEG || codec->id == AV_CODEC_ID_MPEG4) {
            // Quantiser 2 (best) to 31 (smallest).
            const int q = 2 + (100 - quality) * 29 / 100;
            e->flags |= AV_CODEC_FLAG_QSCALE;
            e->global_quality = FF_QP2LAMBDA * q;
            if (codec->id == AV_CODEC_ID_MJPEG) e->color_range = AVCOL_RANGE_JPEG;
        } else if (codec->id == AV_CODEC_ID_H264) {
            av_opt_set_int(e->priv_data, "crf", (100 - quality) * 51 / 100, 0);
        }
        int rc = avcodec_open2(e, codec, nullptr);
        if (rc < 0) return s.fail(ffError("opening the encoder", rc));
        rc = avcodec_parameters_from_context(par, e);
        if (rc < 0) return s.fail(ffError("opening the encoder", rc));
        s.frame = av_frame_alloc();
        if (!s.frame) return s.fail(makeError("out of memory"));
        s.frame->format = e->pix_fmt;
        s.frame->width = e->width;
        s.frame->height = e->height;
        rc = av_frame_get_buffer(s.frame, 0);
        if (rc < 0) return s.fail(ffError("allocating a frame", rc));
        s.scaler = sws_getContext(e->width, e->height, s.bitmap.pixelFormat, e->width, e->height, e->pix_fmt,
                                  SWS_POINT, nullptr, nullptr, nullptr);
        if (!s.scaler) return s.fail(makeError("no conversion from the pictures' format to the codec's"));
        if (s.bitmap.bitCount < 8) s.unpacked.resize(size_t(s.bitmap.width) * size_t(s.bitmap.height));
    }
    const int rc = avformat_write_header(s.format, &muxOptions);
    av_dict_free(&muxOptions);
    if (rc < 0) return s.fail(ffError("writing the file header", rc));
    s.headerWritten = true;
    return s.afterWrite();
}

Status AviWriter::writeFrame(std::span<const uint8_t> pixels, std::span<const uint8_t> bitmapInfo) {
    State& s = *s_;
    if (!s.headerWritten || s.failed) return makeError("the stream has no format");
    bool paletteChanged = s.frames == 0;
    if (s.bitmap.pixelFormat == AV_PIX_FMT_PAL8 && !bitmapInfo.empty()) {
        auto own = describeBitmap(bitmapInfo);
        if (own && own->bitCount == s.bitmap.bitCount && own->palette != s.bitmap.palette) {
            s.bitmap.palette = own->palette;
            paletteChanged = true;
        }
    }
    const BitmapFormat& b = s.bitmap;
    if (int64_t(pixels.size()) < b.imageBytes()) return s.fail(makeError("the picture has fewer pixels than the first"));
    if (!s.encoder) {
        const int rc = av_new_packet(s.packet, int(b.imageBytes()));
        if (rc < 0) return s.fail(ffError("allocating a packet", rc));
        std::memcpy(s.packet->data, pixels.data(), size_t(b.imageBytes()));
        if (b.pixelFormat == AV_PIX_FMT_PAL8 && paletteChanged) {
            uint8_t* side = av_packet_new_side_data(s.packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
            if (side) std::memcpy(side, b.palette.data(), AVPALETTE_SIZE);
        }
        s.packet->pts = s.packet->dts = s.frames;
        s.packet->duration = 1;
        s.packet->flags |= AV_PKT_FLAG_KEY;
        Status st = s.writePacket(s.packet);
        av_packet_unref(s.packet);
        if (!st) return st;
        ++s.frames;
        return {};
    }
    // The source rows, top first: a bottom-up picture is read with a negative stride.
    const uint8_t* rows = pixels.data();
    int64_t stride = b.stride;
    if (b.bitCount < 8) {
        for (int32_t y = 0; y < b.height; ++y) {
            unpackRow(pixels.data() + y * b.stride, b.bitCount, b.width, s.unpacked.data() + size_t(y) * b.width);
        }
        rows = s.unpacked.data();
        stride = b.width;
    }
    const uint8_t* src[4] = {rows, nullptr, nullptr, nullptr};
    int srcStride[4] = {int(stride), 0, 0, 0};
    if (b.bottomUp) {
        src[0] = rows + (b.height - 1) * stride;
        srcStride[0] = -int(stride);
    }
    if (b.pixelFormat == AV_PIX_FMT_PAL8) src[1] = reinterpret_cast<const uint8_t*>(b.palette.data());
    int rc = av_frame_make_writable(s.frame);
    if (rc < 0) return s.fail(ffError("allocating a frame", rc));
    sws_scale(s.scaler, src, srcStride, 0, b.height, s.frame->data, s.frame->linesize);
    s.frame->pts = s.frames;
    s.frame->quality = s.encoder->global_quality;  // the quantiser encoders read it per frame
    s.frame->pict_type = s.frames % std::max(1, s.choice.keyFrameInterval) == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    rc = avcodec_send_frame(s.encoder, s.frame);
    if (rc < 0) return s.fail(ffError("encoding", rc));
    Status st = s.drain();
    if (!st) return st;
    ++s.frames;
    return {};
}

Status AviWriter::close() {
    State& s = *s_;
    if (s.closed || !s.format) {
        s.closed = true;
        return {};
    }
    s.closed = true;
    Status result;
    if (s.headerWritten && !s.failed) {
        if (s.encoder) {
            const int rc = avcodec_send_frame(s.encoder, nullptr);
            Status st = rc < 0 ? s.fail(ffError("encoding", rc)) : s.drain();
            if (!st) result = st;
        }
        if (!s.failed) {
            const int rc = av_write_trailer(s.format);
            if (rc < 0) {
                result = s.fail(ffError("writing the index", rc));
            } else if (Status st = s.afterWrite(); !st) {
                result = st;
            }
        }
    }
    const bool cutBack = s.failed && s.headerWritten;
    s.release();
    // A half-written frame or index would stop readers; what was whole before it stays readable.
    if (cutBack && ::truncate(s.path.c_str(), s.goodSize) != 0 && result.ok()) {
        result = makeError("cutting back the file failed");
    }
    return result;
}

}  // namespace kelmora
