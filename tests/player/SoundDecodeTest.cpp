// Sound decoding: every format the movie can store comes out at 44.1 kHz with the right length,
// pitch and loudness; MP3 frame headers are measured right; broken data gives silence or a clear
// error, never a crash.
#include <gtest/gtest.h>

#include <cmath>

#include "SoundTestSignals.h"
#include "player/media/Mp3Frames.h"
#include "player/media/SoundDecoder.h"

using namespace kelmora::player;
using namespace kelmora::player::testing;

namespace {

double rms(const std::vector<int16_t>& s, size_t channels) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += channels, ++n) sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

uint8_t formatByte(SoundFormat f, int rateCode, bool sixteen, bool stereo) {
    return uint8_t(uint8_t(f) << 4 | rateCode << 2 | sixteen << 1 | stereo);
}

SoundDef soundOf(SoundFormat format, int rate, bool sixteen, uint32_t sampleCount, SoundBytes data, int16_t seek = 0) {
    SoundDef d;
    d.encoding.format = uint8_t(format);
    d.encoding.sampleRate = rate;
    d.encoding.sixteenBit = sixteen;
    d.sampleCount = sampleCount;
    d.mp3SeekSamples = seek;
    d.data = std::move(data);
    return d;
}

int rateCode(int rate) { return rate == 5512 ? 0 : rate == 11025 ? 1 : rate == 22050 ? 2 : 3; }

}  // namespace

// A 441 Hz tone of half a second in each format: length at 44.1 kHz, pitch (upward zero
// crossings) and loudness survive decoding and resampling.
TEST(SoundDecodeTest, EveryFormatGivesTheToneAt44100) {
    struct Case {
        const char* name;
        SoundFormat format;
        int fileRate;   // as the file states it
        int codecRate;  // what the samples are at
        const char* encoder;  // null: PCM written here
        bool sixteen = true;
    };
    const Case cases[] = {
        {"pcm8-5512", SoundFormat::PcmNativeEndian, 5512, 5512, nullptr, false},
        {"pcm16-22050", SoundFormat::PcmLittleEndian, 22050, 22050, nullptr},
        {"pcm16-44100", SoundFormat::PcmNativeEndian, 44100, 44100, nullptr},
        {"adpcm-22050", SoundFormat::Adpcm, 22050, 22050, "adpcm_swf"},
        {"adpcm-11025", SoundFormat::Adpcm, 11025, 11025, "adpcm_swf"},
        {"mp3-22050", SoundFormat::Mp3, 22050, 22050, "libmp3lame"},
        {"mp3-44100", SoundFormat::Mp3, 44100, 44100, "libmp3lame"},
        {"mp3-11025", SoundFormat::Mp3, 11025, 11025, "libmp3lame"},
        {"nellymoser-16k", SoundFormat::Nellymoser16k, 5512, 16000, "nellymoser"},
        {"nellymoser-8k", SoundFormat::Nellymoser8k, 5512, 8000, "nellymoser"},
        {"nellymoser-22050", SoundFormat::Nellymoser, 22050, 22050, "nellymoser"},
        {"speex", SoundFormat::Speex, 5512, 16000, "libspeex"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // ADPCM packets hold 4096 samples each and can't be joined: the sound is one packet.
        // Speex: our decoder reads one terminated packet per block, and the encoder puts 8 frames
        // of 320 samples in one at most.
        const size_t frames = c.format == SoundFormat::Adpcm ? 4096 : c.format == SoundFormat::Speex ? 2560 : size_t(c.codecRate / 2);
        const double seconds = double(frames) / (c.codecRate == 5512 ? 5512.5 : c.codecRate);
        auto tone = sine(frames, 441 * (c.codecRate == 5512 ? 5512.5 / 5512 : 1.0), c.codecRate);
        SoundBytes data;
        int16_t seek = 0;
        if (!c.encoder) {
            if (c.sixteen) data = pcm16Bytes(tone);
            else for (int16_t v : tone) data.push_back(uint8_t((v >> 8) + 128));
        } else {
            Encoded e = encodeMono(c.encoder, tone, c.codecRate, 0,
                                   c.format == SoundFormat::Speex ? "frames_per_packet=8" : nullptr);
            if (!e.available) {
                ADD_FAILURE() << "encoder " << c.encoder << " missing";
                continue;
            }
            if (c.format == SoundFormat::Adpcm) {
                ASSERT_FALSE(e.packets.empty());
                data = e.packets[0];
            } else {
                data = joined(e.packets);
            }
            seek = int16_t(e.delay);
        }
        writeSoundSeed(std::string("event-") + c.name, formatByte(c.format, rateCode(c.fileRate), c.sixteen, false), 0,
                       defineSoundRest(uint32_t(frames), c.format == SoundFormat::Mp3 ? std::optional<int16_t>(seek) : std::nullopt, data));
        SoundDef def = soundOf(c.format, c.fileRate, c.sixteen, uint32_t(frames), data,
                               c.format == SoundFormat::Mp3 ? seek : 0);
        auto pcm = decodeEventSound(def);
        ASSERT_TRUE(pcm.ok()) << pcm.error().message;
        EXPECT_EQ(pcm->channels, 1);
        const double expectedFrames = seconds * 44100;
        // Codecs with a delay of their own the file does not state (Nellymoser, Speex) may run a
        // block longer; the others are exact to the rounding of the resampler.
        const bool padded = c.format == SoundFormat::Nellymoser16k || c.format == SoundFormat::Nellymoser8k ||
                            c.format == SoundFormat::Nellymoser || c.format == SoundFormat::Speex;
        EXPECT_NEAR(double(pcm->frames()), expectedFrames, padded ? 44100 * 0.05 : 2.0);
        EXPECT_NEAR(upwardCrossings(pcm->samples, 1), 441 * seconds, 3);
        const double expectedRms = 12000 / std::sqrt(2.0);
        EXPECT_NEAR(rms(pcm->samples, 1), expectedRms, expectedRms * (padded ? 0.35 : 0.12));
    }
}

// The MP3 seek samples remove exactly the encoder's delay: a click comes out where it went in.
TEST(SoundDecodeTest, Mp3SeekSamplesKeepAClickInPlace) {
    std::vector<int16_t> signal(22050, 0);
    for (int i = 0; i < 20; ++i) signal[5000 + size_t(i)] = 25000;
    Encoded e = encodeMono("libmp3lame", signal, 22050, 64000);
    ASSERT_TRUE(e.available);
    SoundDef def = soundOf(SoundFormat::Mp3, 22050, true, 22050, joined(e.packets), int16_t(e.delay));
    auto pcm = decodeEventSound(def);
    ASSERT_TRUE(pcm.ok());
    std::vector<int16_t> stereo;
    for (int16_t v : pcm->samples) stereo.insert(stereo.end(), {v, v});
    EXPECT_NEAR(double(peakFrame(stereo)), 10000 + 20, 30);
}

// Frame lengths from the header fields, and what is not a Layer III header.
TEST(SoundDecodeTest, Mp3FrameHeaders) {
    struct Case {
        uint8_t b[4];
        int rate, channels, samples;
        size_t length;  // 0: not a header
    };
    const Case cases[] = {
        {{0xFF, 0xFB, 0x90, 0x44}, 44100, 2, 1152, 417},  // MPEG-1, 128 kbit/s
        {{0xFF, 0xFB, 0x92, 0xC4}, 44100, 1, 1152, 418},  // padded, mono
        {{0xFF, 0xF3, 0x40, 0xC4}, 22050, 1, 576, 104},   // MPEG-2, 32 kbit/s
        {{0xFF, 0xE3, 0x10, 0xC4}, 11025, 1, 576, 52},    // MPEG-2.5, 8 kbit/s
        {{0xFF, 0xF3, 0x58, 0xC4}, 16000, 1, 576, 180},   // MPEG-2, 40 kbit/s
        {{0xFF, 0xFB, 0x00, 0x44}, 0, 0, 0, 0},           // free bitrate
        {{0xFF, 0xFB, 0xF0, 0x44}, 0, 0, 0, 0},           // bad bitrate
        {{0xFF, 0xFB, 0x9C, 0x44}, 0, 0, 0, 0},           // reserved rate
        {{0xFF, 0xFD, 0x90, 0x44}, 0, 0, 0, 0},           // Layer II
        {{0xFF, 0xEB, 0x90, 0x44}, 0, 0, 0, 0},           // reserved version
        {{0xFE, 0xFB, 0x90, 0x44}, 0, 0, 0, 0},           // no sync
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.b[1]) << ' ' << int(c.b[2]) << ' ' << int(c.b[3]));
        auto h = readMp3FrameHeader(c.b);
        if (c.length == 0) {
            EXPECT_FALSE(h.has_value());
            continue;
        }
        ASSERT_TRUE(h.has_value());
        EXPECT_EQ(h->sampleRate, c.rate);
        EXPECT_EQ(h->channels, c.channels);
        EXPECT_EQ(h->samples, c.samples);
        EXPECT_EQ(h->length, c.length);
    }
    // Junk between frames is skipped, a frame cut by the end is dropped.
    SoundBytes bytes = {1, 2, 0xFF};
    SoundBytes frame(104, 0);
    frame[0] = 0xFF, frame[1] = 0xF3, frame[2] = 0x40, frame[3] = 0xC4;
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    bytes.insert(bytes.end(), frame.begin(), frame.begin() + 50);
    std::vector<size_t> found;
    forEachMp3Frame(std::span<const uint8_t>(bytes), [&](std::span<const uint8_t> f) { found.push_back(f.size()); });
    EXPECT_EQ(found, std::vector<size_t>{104});
}

// Stream blocks: each block's frame starts where its data begins, less the MP3 seek samples;
// resampled positions scale exactly (5512 Hz is 5512.5, an eighth of 44.1 kHz).
TEST(SoundDecodeTest, StreamBlocksMapFramesToPositions) {
    SoundStreamDef pcm;
    pcm.head.stream = {uint8_t(SoundFormat::PcmLittleEndian), 5512, true, false};
    for (uint32_t f = 2; f < 6; ++f) pcm.blocks.push_back({f, {0, 0, pcm16Bytes(std::vector<int16_t>(459 + (f & 1), 1000))}});
    auto decoded = decodeStreamSound(pcm);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(decoded->pcm.frames(), size_t((459 * 4 + 2) * 8));
    EXPECT_EQ(decoded->frameStart(1), -1);
    EXPECT_EQ(decoded->frameStart(2), 0);
    EXPECT_EQ(decoded->frameStart(3), 459 * 8);
    EXPECT_EQ(decoded->frameStart(5), (459 * 3 + 1) * 8);
    EXPECT_EQ(decoded->frameStart(6), -1);

    SoundStreamDef mp3;
    mp3.head.stream = {uint8_t(SoundFormat::Mp3), 22050, true, false};
    Encoded e = encodeMono("libmp3lame", sine(22050, 300, 22050), 22050);
    ASSERT_TRUE(e.available);
    // Two MP3 frames (1152 samples) per block; the seek says the frame begins 100 samples in.
    // The first block leaves it to the head's latency, as some files do.
    mp3.head.latencySeek = 100;
    for (size_t i = 0; i + 1 < e.packets.size(); i += 2) {
        SoundStreamBlock b;
        b.mp3SeekSamples = i == 0 ? 0 : 100;
        b.data = joined({e.packets[i], e.packets[i + 1]});
        mp3.blocks.push_back({uint32_t(i / 2), b});
    }
    auto m = decodeStreamSound(mp3);
    ASSERT_TRUE(m.ok()) << m.error().message;
    EXPECT_EQ(m->frameStart(0), 200);
    EXPECT_EQ(m->frameStart(3), (3 * 1152 + 100) * 2);
}

// Broken and hostile data: an unknown format is an error, garbage decodes to little or nothing,
// and none of it crashes or reads past its bytes (the sanitizer build watches).
TEST(SoundDecodeTest, BrokenDataIsSilenceOrAnError) {
    auto unknown = decodeEventSound(soundOf(SoundFormat(9), 44100, true, 10, {1, 2, 3}));
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().message.find("not known"), std::string::npos);

    SoundBytes garbage(3000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7919 >> 3);
    const SoundFormat formats[] = {SoundFormat::PcmNativeEndian, SoundFormat::Adpcm, SoundFormat::Mp3,
                                   SoundFormat::Nellymoser16k, SoundFormat::Nellymoser, SoundFormat::Speex};
    for (SoundFormat f : formats) {
        for (size_t size : {size_t(0), size_t(1), size_t(3), size_t(63), garbage.size()}) {
            SCOPED_TRACE(::testing::Message() << "format " << int(f) << " size " << size);
            SoundDef d = soundOf(f, 11025, true, 1u << 30, SoundBytes(garbage.begin(), garbage.begin() + long(size)));
            d.encoding.stereo = size % 2;
            auto pcm = decodeEventSound(d);
            if (pcm.ok()) {
                EXPECT_LE(pcm->frames(), size * 8 * 44100 / 11025 * 4 + 44100);
            }
        }
    }
    writeSoundSeed("garbage-adpcm", formatByte(SoundFormat::Adpcm, 1, true, true), 3, garbage);

    // A huge seek or one bigger than the sound leaves an empty sound, not a wrapped-around one.
    SoundDef shortMp3 = soundOf(SoundFormat::Mp3, 22050, true, 0, {}, 32767);
    auto empty = decodeEventSound(shortMp3);
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty->frames(), 0u);
}
