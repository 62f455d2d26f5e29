// Sound speed, as seconds of audio per second of work ("audio_s"): mixing 1 to 32 event sounds,
// with envelopes, a stream sound, decoding MP3 and ADPCM, and the whole track through the player
// (a 12 fps movie with a PCM stream and an event sound started every second).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "player/Player.h"
#include "player/media/SoundDecoder.h"
#include "player/media/SoundMixer.h"
#include "player/SoundTestSignals.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::player;
using namespace kelmora::player::testing;

namespace {

constexpr size_t kFrameSamples = 3675;  // one frame at 12 fps

std::shared_ptr<const SoundDef> pcmSound(uint16_t id, size_t frames, int rate) {
    auto d = std::make_shared<SoundDef>();
    d->id = id;
    d->encoding = {uint8_t(SoundFormat::PcmLittleEndian), rate, true, false};
    d->sampleCount = uint32_t(frames);
    d->data = pcm16Bytes(sine(frames, 440, rate));
    return d;
}

void countAudio(benchmark::State& state, size_t samplesPerIteration) {
    state.counters["audio_s"] = benchmark::Counter(double(samplesPerIteration) / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}

// Event sounds looping for ever, n at once; 22 kHz sources, so the cached PCM is what is read.
void BM_MixEventSounds(benchmark::State& state) {
    const size_t channels = size_t(state.range(0));
    const bool envelope = state.range(1) != 0;
    std::vector<SoundEvent> starts;
    for (size_t i = 0; i < channels; ++i) {
        SoundEvent e;
        e.sound = pcmSound(uint16_t(i + 1), 22050, 22050);
        e.info.loopCount = 65535;
        if (envelope) e.info.envelope = {{0, 0, 32768}, {44100, 32768, 0}};
        starts.push_back(e);
    }
    SoundMixer mixer;
    std::vector<int16_t> out;
    mixer.mixFrame(starts, kFrameSamples, out);
    for (auto _ : state) {
        out.clear();
        mixer.mixFrame({}, kFrameSamples, out);
        benchmark::DoNotOptimize(out.data());
    }
    countAudio(state, kFrameSamples);
}
BENCHMARK(BM_MixEventSounds)->Args({1, 0})->Args({8, 0})->Args({32, 0})->Args({8, 1});

// One stream sound followed frame by frame, as a timeline reports it.
void BM_MixStream(benchmark::State& state) {
    auto stream = std::make_shared<SoundStreamDef>();
    stream->head.stream = {uint8_t(SoundFormat::PcmLittleEndian), 44100, true, true};
    const uint32_t frames = 240;
    for (uint32_t f = 0; f < frames; ++f)
        stream->blocks.push_back({f, {0, 0, pcm16Bytes(sine(2 * kFrameSamples, 440, 88200))}});
    SoundMixer mixer;
    std::vector<int16_t> out;
    uint32_t frame = 0;
    for (auto _ : state) {
        SoundEvent e;
        e.kind = SoundEvent::Kind::StreamFrame;
        e.clip = &mixer;
        e.stream = stream;
        e.frame = frame;
        frame = (frame + 1) % frames;
        out.clear();
        mixer.mixFrame(std::span<const SoundEvent>(&e, 1), kFrameSamples, out);
        benchmark::DoNotOptimize(out.data());
    }
    countAudio(state, kFrameSamples);
}
BENCHMARK(BM_MixStream);

// Decoding and resampling ten seconds of a 22 kHz tone, per codec.
void BM_Decode(benchmark::State& state) {
    const auto format = SoundFormat(state.range(0));
    const int rate = 22050;
    const auto tone = sine(size_t(rate) * 10, 440, rate);
    SoundDef def;
    def.encoding = {uint8_t(format), rate, true, false};
    def.sampleCount = uint32_t(tone.size());
    if (format == SoundFormat::Mp3) {
        Encoded e = encodeMono("libmp3lame", tone, rate);
        def.data = joined(e.packets);
        def.mp3SeekSamples = int16_t(e.delay);
    } else {
        def.data = pcm16Bytes(tone);
    }
    for (auto _ : state) {
        auto pcm = decodeEventSound(def);
        benchmark::DoNotOptimize(pcm.ok());
    }
    countAudio(state, 44100 * 10);
}
BENCHMARK(BM_Decode)->Arg(int(SoundFormat::PcmLittleEndian))->Arg(int(SoundFormat::Mp3))->Unit(benchmark::kMillisecond);

// ADPCM stream blocks (one 4096-sample packet each), decoded as a timeline's stream.
void BM_DecodeAdpcmStream(benchmark::State& state) {
    const int rate = 22050;
    Encoded e = encodeMono("adpcm_swf", sine(size_t(rate) * 10, 440, rate), rate);
    SoundStreamDef stream;
    stream.head.stream = {uint8_t(SoundFormat::Adpcm), rate, true, false};
    for (size_t i = 0; i < e.packets.size(); ++i) stream.blocks.push_back({uint32_t(i), {0, 0, e.packets[i]}});
    for (auto _ : state) {
        auto decoded = decodeStreamSound(stream);
        benchmark::DoNotOptimize(decoded.ok());
    }
    countAudio(state, e.packets.size() * 4096 * 2);
}
BENCHMARK(BM_DecodeAdpcmStream)->Unit(benchmark::kMillisecond);

// A 240-frame movie: a PCM stream on the main timeline and a short sound started every 12 frames,
// played through Player::advance and takeAudio (no pictures drawn).
void BM_TrackThroughPlayer(benchmark::State& state) {
    swf::SwfWriter w;
    const swf::SoundFormat pcm{swf::SoundCodec::UncompressedLittleEndian, swf::SoundRate::Rate22050, true, false};
    w.defineSound(1, pcm, 11025, pcm16Bytes(sine(11025, 660, 22050)));
    w.soundStreamHead2(pcm, pcm, 1838);
    const auto block = pcm16Bytes(sine(1838, 440, 22050));
    for (int f = 0; f < 240; ++f) {
        if (f % 12 == 0) w.startSound(1);
        w.soundStreamBlock(block).showFrame();
    }
    const auto bytes = w.bytes();
    Player player;
    player.enableAudio(true);
    std::vector<int16_t> out;
    size_t samples = 0;
    for (auto _ : state) {
        (void)player.load(bytes);
        out.clear();
        for (int f = 0; f < 240; ++f) {
            if (f) player.advance();
            samples += player.takeAudio(out);
        }
    }
    state.counters["audio_s"] = benchmark::Counter(double(samples) / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TrackThroughPlayer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
