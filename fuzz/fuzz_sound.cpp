// Drives the sound decoders and the mixer with arbitrary bytes. The first byte is DefineSound's
// format byte (codec, rate, 16-bit, stereo); the second is the stream block length in units of 8
// bytes, 0 for an event sound. The rest is the DefineSound body after the format byte (sample
// count, MP3 seek, data) or the stream's blocks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "player/media/Mp3Frames.h"
#include "player/media/SoundDecoder.h"
#include "player/media/SoundMixer.h"

using namespace kelmora::player;

namespace {

void mixSome(SoundMixer& mixer, std::vector<SoundEvent> first, size_t frames) {
    std::vector<int16_t> out;
    mixer.mixFrame(first, 1837, out);
    for (size_t i = 1; i < frames; ++i) mixer.mixFrame({}, 1838, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t format = data[0];
    const size_t blockBytes = size_t(data[1]) * 8;
    std::span<const uint8_t> rest(data + 2, size - 2);

    forEachMp3Frame(rest, [](std::span<const uint8_t>) {});
    if (blockBytes == 0) {
        std::vector<uint8_t> body = {1, 0, format};
        body.insert(body.end(), rest.begin(), rest.end());
        auto sound = parseDefineSound(body);
        if (!sound) return 0;
        (void)decodeEventSound(**sound);
        SoundEvent start;
        start.sound = sound.value();
        start.info.loopCount = 2;
        start.info.inPoint = 10;
        start.info.envelope = {{0, 0, 32768}, {500, 65535, 0}};
        SoundMixer mixer;
        mixSome(mixer, {start}, 3);
        return 0;
    }
    // The head's stream format is the same byte, after the playback byte.
    const uint8_t head[] = {0x0f, format, 0x00, 0x01, 0x00, 0x00};
    auto parsedHead = parseSoundStreamHead(head);
    if (!parsedHead) return 0;
    auto stream = std::make_shared<SoundStreamDef>();
    stream->head = *parsedHead;
    for (size_t at = 0, frame = 0; at < rest.size(); at += blockBytes, ++frame) {
        auto block = parseSoundStreamBlock(stream->head, rest.subspan(at, std::min(blockBytes, rest.size() - at)));
        if (block) stream->blocks.push_back({uint32_t(frame), std::move(*block)});
    }
    (void)decodeStreamSound(*stream);
    SoundMixer mixer;
    std::vector<int16_t> out;
    for (uint32_t frame = 0; frame < 4; ++frame) {
        SoundEvent e;
        e.kind = SoundEvent::Kind::StreamFrame;
        e.clip = &mixer;
        e.stream = stream;
        e.frame = frame == 2 ? 0 : frame;  // a jump back
        mixer.mixFrame(std::span<const SoundEvent>(&e, 1), 1837, out);
    }
    return 0;
}
