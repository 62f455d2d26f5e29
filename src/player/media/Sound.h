#pragma once
// Sounds as the movie stores them: event sounds (DefineSound), their starts (StartSound,
// StartSound2) and the stream sound of a timeline (SoundStreamHead/2, SoundStreamBlock). Decoding
// and mixing live in SoundDecoder and SoundMixer.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/Character.h"
#include "util/Result.h"

namespace kelmora::player {

enum class SoundFormat : uint8_t {
    PcmNativeEndian = 0,  // written by little-endian machines in practice
    Adpcm = 1,
    Mp3 = 2,
    PcmLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

struct SoundEncoding {
    uint8_t format = 0;       // SoundFormat value (kept raw: unknown values stay visible)
    int sampleRate = 5512;    // 5512, 11025, 22050 or 44100 Hz
    bool sixteenBit = false;
    bool stereo = false;
};

struct SoundDef : Character {
    SoundDef() : Character(CharacterKind::Sound) {}
    SoundEncoding encoding;
    uint32_t sampleCount = 0;  // per channel
    int16_t mp3SeekSamples = 0;  // MP3 only: samples to skip at the start
    std::vector<uint8_t> data;   // the sound data (MP3 frames after the seek field)
};

struct SoundEnvelopePoint {
    uint32_t position44 = 0;  // in 44.1 kHz samples
    uint16_t leftLevel = 0, rightLevel = 0;  // 0..32768
};

struct SoundInfo {
    bool syncStop = false, syncNoMultiple = false;
    std::optional<uint32_t> inPoint, outPoint;  // in 44.1 kHz samples
    uint16_t loopCount = 1;
    std::vector<SoundEnvelopePoint> envelope;
};

struct StartSound {
    uint16_t soundId = 0;       // StartSound
    std::string soundClassName;  // StartSound2
    SoundInfo info;
};

struct SoundStreamHead {
    SoundEncoding playback;  // what the player mixes at
    SoundEncoding stream;    // what the blocks hold
    uint16_t samplesPerBlock = 0;
    int16_t latencySeek = 0;  // MP3 only
};

struct SoundStreamBlock {
    uint16_t mp3SampleCount = 0;  // MP3 only
    int16_t mp3SeekSamples = 0;   // MP3 only
    std::vector<uint8_t> data;    // the block's sound data (MP3 frames after the two fields)
};

// A timeline's stream sound: its head and its blocks, each with the frame it sits in.
struct SoundStreamDef {
    struct Block {
        uint32_t frame = 0;  // 0-based
        SoundStreamBlock block;
    };
    SoundStreamHead head;
    std::vector<Block> blocks;  // in frame order
};

Result<std::shared_ptr<SoundDef>> parseDefineSound(std::span<const uint8_t> body);
// tagCode: 15 (StartSound) or 89 (StartSound2).
Result<StartSound> parseStartSound(uint16_t tagCode, std::span<const uint8_t> body);
// tagCode: 18 or 45.
Result<SoundStreamHead> parseSoundStreamHead(std::span<const uint8_t> body);
// The head says how to read the block (MP3 blocks start with two fields).
Result<SoundStreamBlock> parseSoundStreamBlock(const SoundStreamHead& head, std::span<const uint8_t> body);

}  // namespace kelmora::player
