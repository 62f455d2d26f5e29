#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "MediaFuzzSeeds.h"
#include "player/media/Sound.h"
#include "player/media/VideoDecoder.h"
#include "swf/writer/BitWriter.h"

namespace kelmora::player {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::writeMediaSeed;

// Encodes solid-colour frames with FFmpeg's own encoder for a codec (FLV1, FLASHSV).
std::vector<Bytes> encodeFrames(AVCodecID id, AVPixelFormat format, int w, int h,
                                const std::vector<std::array<uint8_t, 3>>& colors, int gop) {
    std::vector<Bytes> out;
    const AVCodec* codec = avcodec_find_encoder(id);
    if (!codec) return out;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->width = w;
    ctx->height = h;
    ctx->pix_fmt = format;
    ctx->time_base = {1, 25};
    ctx->gop_size = gop;
    ctx->bit_rate = 2000000;
    ctx->max_b_frames = 0;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "sc_threshold", "1000000000", 0);  // keep the group of pictures as asked
    int opened = avcodec_open2(ctx, codec, &options);
    av_dict_free(&options);
    if (opened < 0) { avcodec_free_context(&ctx); return out; }
    AVFrame* f = av_frame_alloc();
    f->format = format;
    f->width = w;
    f->height = h;
    av_frame_get_buffer(f, 0);
    AVPacket* pkt = av_packet_alloc();
    for (size_t i = 0; i < colors.size(); ++i) {
        av_frame_make_writable(f);
        auto [r, g, b] = colors[i];
        for (int y = 0; y < h; ++y) {
            if (format == AV_PIX_FMT_BGR24) {
                for (int x = 0; x < w; ++x) {
                    uint8_t* p = f->data[0] + y * f->linesize[0] + x * 3;
                    p[0] = b; p[1] = g; p[2] = r;
                }
            } else {  // YUV420P from the colour (BT.601 studio range)
                double Y = 16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255;
                double U = 128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255;
                double V = 128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255;
                for (int x = 0; x < w; ++x) f->data[0][y * f->linesize[0] + x] = uint8_t(Y);
                if (y % 2 == 0)
                    for (int x = 0; x < w / 2; ++x) {
                        f->data[1][y / 2 * f->linesize[1] + x] = uint8_t(U);
                        f->data[2][y / 2 * f->linesize[2] + x] = uint8_t(V);
                    }
            }
        }
        f->pts = int64_t(i);
        avcodec_send_frame(ctx, f);
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            out.emplace_back(pkt->data, pkt->data + pkt->size);
            av_packet_unref(pkt);
        }
    }
    av_packet_free(&pkt);
    av_frame_free(&f);
    avcodec_free_context(&ctx);
    return out;
}

void expectColor(const PixelBuffer* p, std::array<uint8_t, 3> c, const char* what) {
    ASSERT_NE(p, nullptr) << what;
    uint32_t px = p->pixel(p->width() / 2, p->height() / 2);
    EXPECT_EQ(alphaOf(px), 255) << what;
    EXPECT_NEAR(redOf(px), c[0], 12) << what;
    EXPECT_NEAR(greenOf(px), c[1], 12) << what;
    EXPECT_NEAR(blueOf(px), c[2], 12) << what;
}

TEST(VideoStream, ParsesStreamAndFrames) {
    swf::BitWriter w;
    w.u16(4).u16(10).u16(160).u16(120).ub(0, 4).ub(2, 3).ub(1, 1).u8(4);
    auto def = parseVideoStreamDef(w.take());
    ASSERT_TRUE(def.ok());
    EXPECT_EQ((*def)->id, 4);
    EXPECT_EQ((*def)->frameCount, 10);
    EXPECT_EQ((*def)->width, 160);
    EXPECT_EQ((*def)->height, 120);
    EXPECT_EQ((*def)->deblocking, 2);
    EXPECT_TRUE((*def)->smoothing);
    EXPECT_EQ((*def)->codecId, 4);
    EXPECT_FALSE(parseVideoStreamDef(Bytes{1, 2, 3}).ok());

    Bytes frame = {4, 0, 3, 0, 0xAA, 0xBB};
    EXPECT_EQ(*videoFrameStreamId(frame), 4);
    ASSERT_TRUE(addVideoFrame(**def, frame).ok());
    EXPECT_EQ((*def)->packets.at(3), (Bytes{0xAA, 0xBB}));
    EXPECT_FALSE(addVideoFrame(**def, Bytes{4, 0, 3}).ok());
    EXPECT_FALSE(videoFrameStreamId(Bytes{4}).ok());
}

TEST(VideoDecode, SorensonAndScreenVideoInOrderAndBackwards) {
    const std::vector<std::array<uint8_t, 3>> colors = {{220, 30, 30}, {30, 200, 40}, {40, 40, 220}, {200, 200, 30}};
    struct Case {
        VideoCodec codec;
        AVCodecID id;
        AVPixelFormat format;
    } cases[] = {{VideoCodec::SorensonH263, AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P},
                 {VideoCodec::ScreenVideo, AV_CODEC_ID_FLASHSV, AV_PIX_FMT_BGR24}};
    for (const Case& c : cases) {
        auto packets = encodeFrames(c.id, c.format, 64, 48, colors, 2);
        if (packets.size() != colors.size()) GTEST_SKIP() << "encoder missing";
        auto def = std::make_shared<VideoStreamDef>();
        def->codecId = uint8_t(c.codec);
        def->width = 64;
        def->height = 48;
        // Frames 0, 1, 2 and 5; frames 3 and 4 show frame 2.
        int numbers[] = {0, 1, 2, 5};
        for (size_t i = 0; i < packets.size(); ++i) def->packets[uint16_t(numbers[i])] = packets[i];
        if (c.codec == VideoCodec::SorensonH263) {
            EXPECT_TRUE(isVideoKeyFrame(def->codecId, packets[0]));
            EXPECT_FALSE(isVideoKeyFrame(def->codecId, packets[1]));
            EXPECT_TRUE(isVideoKeyFrame(def->codecId, packets[2]));
        }
        Bytes seed = {uint8_t(c.codec)};
        seed.insert(seed.end(), packets[0].begin(), packets[0].end());
        seed.insert(seed.end(), packets[1].begin(), packets[1].end());
        if (seed.size() < 4000) writeMediaSeed(c.codec == VideoCodec::ScreenVideo ? "screenvideo" : "h263", 10, seed);
        VideoDecoder decoder(def);
        const PixelBuffer* p = decoder.frame(0);
        ASSERT_NE(p, nullptr) << decoder.lastError();
        EXPECT_EQ(p->width(), 64);
        EXPECT_EQ(p->height(), 48);
        expectColor(p, colors[0], "frame 0");
        expectColor(decoder.frame(1), colors[1], "frame 1");
        expectColor(decoder.frame(4), colors[2], "frame 4 shows frame 2");
        expectColor(decoder.frame(5), colors[3], "frame 5");
        expectColor(decoder.frame(1), colors[1], "back to frame 1");
        expectColor(decoder.frame(0), colors[0], "back to frame 0");
        expectColor(decoder.frame(200), colors[3], "past the end");
    }
}

TEST(VideoDecode, BadStreamsGiveNoPicture) {
    auto def = std::make_shared<VideoStreamDef>();
    def->codecId = 9;
    VideoDecoder unknown(def);
    EXPECT_EQ(unknown.frame(0), nullptr);
    EXPECT_FALSE(unknown.lastError().empty());

    for (uint8_t codec : {2, 3, 4, 5, 6, 7}) {
        auto junk = std::make_shared<VideoStreamDef>();
        junk->codecId = codec;
        junk->width = 32;
        junk->height = 32;
        junk->packets[1] = {0x00, 0x00, 0x84, 0x00, 0xFF, 0x13, 0x37};
        junk->packets[2] = {};
        junk->packets[3] = Bytes(300, 0xA5);
        VideoDecoder decoder(junk);
        EXPECT_EQ(decoder.frame(0), nullptr);  // before the first packet
        for (int f : {1, 2, 3, 1}) (void)decoder.frame(f);
    }
}

TEST(SoundParse, DefineSoundStartsAndStreams) {
    swf::BitWriter s;
    s.u16(12).ub(2, 4).ub(3, 2).ub(1, 1).ub(1, 1).u32(1152).s16(576).bytes(Bytes{0xFF, 0xFB, 0x90});
    writeMediaSeed("sound", 11, s.data());
    auto sound = parseDefineSound(s.take());
    ASSERT_TRUE(sound.ok());
    EXPECT_EQ((*sound)->id, 12);
    EXPECT_EQ((*sound)->encoding.format, uint8_t(SoundFormat::Mp3));
    EXPECT_EQ((*sound)->encoding.sampleRate, 44100);
    EXPECT_TRUE((*sound)->encoding.sixteenBit);
    EXPECT_TRUE((*sound)->encoding.stereo);
    EXPECT_EQ((*sound)->sampleCount, 1152u);
    EXPECT_EQ((*sound)->mp3SeekSamples, 576);
    EXPECT_EQ((*sound)->data, (Bytes{0xFF, 0xFB, 0x90}));

    swf::BitWriter start;
    start.u16(12).ub(0, 2).ub(1, 1).ub(0, 1).ub(1, 1).ub(1, 1).ub(1, 1).ub(1, 1);
    start.u32(100).u32(5000).u16(3).u8(2).u32(0).u16(32768).u16(0).u32(44100).u16(0).u16(32768);
    auto started = parseStartSound(15, start.take());
    ASSERT_TRUE(started.ok());
    EXPECT_EQ(started->soundId, 12);
    EXPECT_TRUE(started->info.syncStop);
    EXPECT_FALSE(started->info.syncNoMultiple);
    EXPECT_EQ(started->info.inPoint, 100u);
    EXPECT_EQ(started->info.outPoint, 5000u);
    EXPECT_EQ(started->info.loopCount, 3);
    ASSERT_EQ(started->info.envelope.size(), 2u);
    EXPECT_EQ(started->info.envelope[1].position44, 44100u);
    EXPECT_EQ(started->info.envelope[1].rightLevel, 32768);

    swf::BitWriter start2;
    start2.string("Boom").u8(0x10);
    auto started2 = parseStartSound(89, start2.take());
    ASSERT_TRUE(started2.ok());
    EXPECT_EQ(started2->soundClassName, "Boom");
    EXPECT_TRUE(started2->info.syncNoMultiple);
    EXPECT_FALSE(started2->info.inPoint.has_value());

    swf::BitWriter head;
    head.ub(0, 4).ub(2, 2).ub(1, 1).ub(0, 1).ub(2, 4).ub(2, 2).ub(1, 1).ub(1, 1).u16(1470).s16(-3);
    auto h = parseSoundStreamHead(head.take());
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h->playback.sampleRate, 22050);
    EXPECT_FALSE(h->playback.stereo);
    EXPECT_EQ(h->stream.format, 2);
    EXPECT_TRUE(h->stream.stereo);
    EXPECT_EQ(h->samplesPerBlock, 1470);
    EXPECT_EQ(h->latencySeek, -3);
    auto block = parseSoundStreamBlock(*h, Bytes{0xBE, 0x05, 0x10, 0x00, 0xFF, 0xFB});
    ASSERT_TRUE(block.ok());
    EXPECT_EQ(block->mp3SampleCount, 1470);
    EXPECT_EQ(block->mp3SeekSamples, 16);
    EXPECT_EQ(block->data, (Bytes{0xFF, 0xFB}));

    // Cut short: errors, no crash.
    EXPECT_FALSE(parseDefineSound(Bytes{1, 0, 0x2F}).ok());
    EXPECT_FALSE(parseStartSound(15, Bytes{1, 0, 0x01}).ok());  // in point announced, missing
    EXPECT_FALSE(parseSoundStreamHead(Bytes{0}).ok());
    EXPECT_FALSE(parseSoundStreamBlock(*h, Bytes{1}).ok());
}

}  // namespace
}  // namespace kelmora::player
