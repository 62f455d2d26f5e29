#include "player/format/BitReader.h"
#include "player/media/Sound.h"

namespace kelmora::player {

namespace {

constexpr int kRates[4] = {5512, 11025, 22050, 44100};

SoundEncoding readEncoding(BitReader& in) {
    SoundEncoding e;
    e.sampleRate = kRates[in.ub(2)];
    e.sixteenBit = in.flag();
    e.stereo = in.flag();
    return e;
}

SoundInfo readSoundInfo(BitReader& in) {
    SoundInfo info;
    in.ub(2);
    info.syncStop = in.flag();
    info.syncNoMultiple = in.flag();
    bool hasEnvelope = in.flag(), hasLoops = in.flag(), hasOut = in.flag(), hasIn = in.flag();
    if (hasIn) info.inPoint = in.u32();
    if (hasOut) info.outPoint = in.u32();
    if (hasLoops) info.loopCount = in.u16();
    if (hasEnvelope) {
        unsigned count = in.u8();
        for (unsigned i = 0; i < count && !in.failed(); ++i) {
            SoundEnvelopePoint p;
            p.position44 = in.u32();
            p.leftLevel = in.u16();
            p.rightLevel = in.u16();
            if (!in.failed()) info.envelope.push_back(p);
        }
    }
    return info;
}

std::vector<uint8_t> copyRest(BitReader& in) {
    auto rest = in.rest();
    return {rest.begin(), rest.end()};
}

}  // namespace

Result<std::shared_ptr<SoundDef>> parseDefineSound(std::span<const uint8_t> body) {
    BitReader in(body);
    auto sound = std::make_shared<SoundDef>();
    sound->id = in.u16();
    uint8_t format = uint8_t(in.ub(4));
    sound->encoding = readEncoding(in);
    sound->encoding.format = format;
    sound->sampleCount = in.u32();
    if (sound->encoding.format == uint8_t(SoundFormat::Mp3)) sound->mp3SeekSamples = in.s16();
    if (in.failed()) return makeError("DefineSound: tag cut short");
    sound->data = copyRest(in);
    return sound;
}

Result<StartSound> parseStartSound(uint16_t tagCode, std::span<const uint8_t> body) {
    BitReader in(body);
    StartSound start;
    if (tagCode == 89) start.soundClassName = in.string();
    else start.soundId = in.u16();
    start.info = readSoundInfo(in);
    if (in.failed()) return makeError(tagCode == 89 ? "StartSound2: tag cut short" : "StartSound: tag cut short");
    return start;
}

Result<SoundStreamHead> parseSoundStreamHead(std::span<const uint8_t> body) {
    BitReader in(body);
    SoundStreamHead head;
    in.ub(4);
    head.playback = readEncoding(in);
    head.playback.format = 0;
    uint8_t format = uint8_t(in.ub(4));
    head.stream = readEncoding(in);
    head.stream.format = format;
    head.samplesPerBlock = in.u16();
    if (in.failed()) return makeError("SoundStreamHead: tag cut short");
    // The latency field is often missing in MP3 heads: it is optional here.
    if (format == uint8_t(SoundFormat::Mp3) && in.remaining() >= 2) head.latencySeek = in.s16();
    return head;
}

Result<SoundStreamBlock> parseSoundStreamBlock(const SoundStreamHead& head, std::span<const uint8_t> body) {
    BitReader in(body);
    SoundStreamBlock block;
    if (head.stream.format == uint8_t(SoundFormat::Mp3)) {
        block.mp3SampleCount = in.u16();
        block.mp3SeekSamples = in.s16();
        if (in.failed()) return makeError("SoundStreamBlock: tag cut short");
    }
    block.data = copyRest(in);
    return block;
}

}  // namespace kelmora::player
