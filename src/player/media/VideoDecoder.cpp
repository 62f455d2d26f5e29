#include "player/media/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "player/bitmap/BitmapLimits.h"
#include "player/bitmap/PixelMath.h"
#include "player/format/BitReader.h"

namespace kelmora::player {

namespace {

constexpr uint8_t kAvcConfig = 0, kAvcNalus = 1;

// H.264 in SWF/FLV carries a packet type and a composition time before its data.
std::span<const uint8_t> avcPayload(std::span<const uint8_t> packet) {
    return packet.size() > 4 ? packet.subspan(4) : std::span<const uint8_t>{};
}

}  // namespace

int videoCodecFor(uint8_t codecId) {
    switch (VideoCodec(codecId)) {
    case VideoCodec::SorensonH263: return AV_CODEC_ID_FLV1;
    case VideoCodec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
    case VideoCodec::Vp6: return AV_CODEC_ID_VP6F;
    case VideoCodec::Vp6Alpha: return AV_CODEC_ID_VP6A;
    case VideoCodec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
    case VideoCodec::H264: return AV_CODEC_ID_H264;
    }
    return AV_CODEC_ID_NONE;
}

bool isVideoKeyFrame(uint8_t codecId, std::span<const uint8_t> packet) {
    switch (VideoCodec(codecId)) {
    case VideoCodec::SorensonH263: {
        BitReader in(packet);
        if (in.ub(17) != 1) return false;
        in.ub(5);  // version
        in.ub(8);  // temporal reference
        unsigned size = in.ub(3);
        if (size == 0) in.ub(16);
        else if (size == 1) in.ub(32);
        return !in.failed() && in.ub(2) == 0;
    }
    case VideoCodec::Vp6:
        return !packet.empty() && !(packet[0] & 0x80);
    case VideoCodec::Vp6Alpha:
        return packet.size() > 3 && !(packet[3] & 0x80);
    case VideoCodec::H264: {
        if (packet.empty() || packet[0] != kAvcNalus) return false;
        auto data = avcPayload(packet);
        for (size_t pos = 0; pos + 4 < data.size();) {
            size_t len = (size_t(data[pos]) << 24) | (size_t(data[pos + 1]) << 16) | (size_t(data[pos + 2]) << 8) |
                         data[pos + 3];
            if ((data[pos + 4] & 0x1F) == 5) return true;
            if (len > data.size() - pos - 4) break;
            pos += 4 + len;
        }
        return false;
    }
    default:
        return false;  // screen video: decode from the stream's first packet
    }
}

struct VideoDecoder::Impl {
    std::shared_ptr<const VideoStreamDef> stream;
    AVCodecContext* ctx = nullptr;
    AVFrame* decoded = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    int lastFrame = -1;  // frame number of the last packet decoded
    PixelBuffer picture;
    bool hasPicture = false, broken = false;
    std::string error;

    ~Impl() {
        sws_freeContext(sws);
        av_packet_free(&packet);
        av_frame_free(&decoded);
        avcodec_free_context(&ctx);
    }

    bool fail(std::string message) {
        error = std::move(message);
        return false;
    }

    bool open() {
        const AVCodec* codec = avcodec_find_decoder(AVCodecID(videoCodecFor(stream->codecId)));
        if (!codec) return fail("video codec " + std::to_string(stream->codecId) + " is not supported");
        ctx = avcodec_alloc_context3(codec);
        decoded = av_frame_alloc();
        packet = av_packet_alloc();
        if (!ctx || !decoded || !packet) return fail("out of memory for the video decoder");
        ctx->width = stream->width;
        ctx->height = stream->height;
        ctx->thread_count = 1;  // the same pictures on every run
        ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
        if (stream->codecId == uint8_t(VideoCodec::H264)) {
            for (auto& [frame, data] : stream->packets) {
                if (data.empty() || data[0] != kAvcConfig) continue;
                auto config = avcPayload(data);
                ctx->extradata = static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
                if (!ctx->extradata) return fail("out of memory for the video decoder");
                std::copy(config.begin(), config.end(), ctx->extradata);
                ctx->extradata_size = int(config.size());
                break;
            }
        }
        if (avcodec_open2(ctx, codec, nullptr) < 0) return fail("the video decoder could not start");
        return true;
    }

    void convert() {
        int w = decoded->width, h = decoded->height;
        if (!bitmapSizeAllowed(w, h)) return;
        auto format = AVPixelFormat(decoded->format);
        sws = sws_getCachedContext(sws, w, h, format, w, h, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!sws) return;
        picture.resize(w, h);
        uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(picture.data()), nullptr, nullptr, nullptr};
        int dstStride[4] = {w * 4, 0, 0, 0};
        sws_scale(sws, decoded->data, decoded->linesize, 0, h, dst, dstStride);
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
        const bool alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
        for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
            uint32_t p = picture.data()[i];
            if (!alpha) {
                picture.data()[i] = p | 0xFF000000u;
                continue;
            }
            // Colours with alpha come out of the decoder already multiplied by it.
            const uint8_t a = alphaOf(p);
            picture.data()[i] = packArgb(a, std::min(redOf(p), a), std::min(greenOf(p), a), std::min(blueOf(p), a));
        }
        hasPicture = true;
    }

    void decode(std::span<const uint8_t> data) {
        if (stream->codecId == uint8_t(VideoCodec::H264)) {
            if (data.empty() || data[0] != kAvcNalus) return;
            data = avcPayload(data);
        }
        if (data.empty()) return;  // an empty packet keeps the picture
        if (av_new_packet(packet, int(data.size())) < 0) return;
        std::copy(data.begin(), data.end(), packet->data);
        int rc = avcodec_send_packet(ctx, packet);
        av_packet_unref(packet);
        if (rc < 0) return;  // a broken packet: keep the last good picture
        while (avcodec_receive_frame(ctx, decoded) == 0) {
            convert();
            av_frame_unref(decoded);
        }
    }
};

VideoDecoder::VideoDecoder(std::shared_ptr<const VideoStreamDef> stream) : impl_(std::make_unique<Impl>()) {
    impl_->stream = std::move(stream);
    impl_->broken = !impl_->stream || !impl_->open();
}

VideoDecoder::~VideoDecoder() = default;

const std::string& VideoDecoder::lastError() const { return impl_->error; }

const PixelBuffer* VideoDecoder::frame(int frameNumber) {
    Impl& d = *impl_;
    if (d.broken || frameNumber < 0) return nullptr;
    const auto& packets = d.stream->packets;
    auto target = packets.upper_bound(uint16_t(std::min(frameNumber, 0xFFFF)));
    if (target == packets.begin()) return nullptr;  // no packet yet
    --target;
    if (target->first == d.lastFrame) return d.hasPicture ? &d.picture : nullptr;

    auto from = packets.upper_bound(uint16_t(std::max(d.lastFrame, 0)));
    if (d.lastFrame < 0) from = packets.begin();
    if (d.lastFrame < 0 || target->first < d.lastFrame) {
        // Start again at the newest key frame at or before the target.
        from = packets.begin();
        for (auto it = target;; --it) {
            if (isVideoKeyFrame(d.stream->codecId, it->second)) { from = it; break; }
            if (it == packets.begin()) break;
        }
        avcodec_flush_buffers(d.ctx);
        d.hasPicture = false;
    }
    for (auto it = from;; ++it) {
        d.decode(it->second);
        if (it == target) break;
    }
    d.lastFrame = target->first;
    return d.hasPicture ? &d.picture : nullptr;
}

}  // namespace kelmora::player
