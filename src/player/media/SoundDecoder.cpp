#include "player/media/SoundDecoder.h"

#include <algorithm>

#include "player/media/Mp3Frames.h"
#include "player/media/SoundCodec.h"

namespace kelmora::player {

namespace {

// Nellymoser packs 256 samples into each 64-byte block.
constexpr size_t kNellymoserBlock = 64;

// Decodes one format's blocks into the same source PCM, block after block.
class BlockDecoder {
public:
    static Result<BlockDecoder> open(const SoundEncoding& encoding) {
        BlockDecoder d;
        d.format_ = SoundFormat(encoding.format);
        d.encoding_ = encoding;
        const int channels = encoding.stereo ? 2 : 1;
        auto session = [&](SoundCodecId id, int rate, int ch) -> Status {
            auto s = SoundCodecSession::open(id, rate, ch);
            if (!s) return s.error();
            d.session_ = std::move(s.value());
            return {};
        };
        Status st;
        switch (d.format_) {
        case SoundFormat::PcmNativeEndian:
        case SoundFormat::PcmLittleEndian:
            d.pcm_.channels = channels;
            d.pcm_.doubledRate = doubledRate(encoding.sampleRate);
            break;
        case SoundFormat::Adpcm: st = session(SoundCodecId::Adpcm, encoding.sampleRate, channels); break;
        case SoundFormat::Mp3: st = session(SoundCodecId::Mp3, encoding.sampleRate, channels); break;
        case SoundFormat::Nellymoser16k: st = session(SoundCodecId::Nellymoser, 16000, 1); break;
        case SoundFormat::Nellymoser8k: st = session(SoundCodecId::Nellymoser, 8000, 1); break;
        case SoundFormat::Nellymoser: st = session(SoundCodecId::Nellymoser, encoding.sampleRate, 1); break;
        case SoundFormat::Speex: st = session(SoundCodecId::Speex, 16000, 1); break;
        default: return makeError("sound format " + std::to_string(encoding.format) + " is not known");
        }
        if (!st) return st.error();
        return d;
    }

    void decode(std::span<const uint8_t> bytes) {
        switch (format_) {
        case SoundFormat::PcmNativeEndian:
        case SoundFormat::PcmLittleEndian: appendPcm(bytes); break;
        case SoundFormat::Mp3: forEachMp3Frame(bytes, [&](std::span<const uint8_t> f) { session_->decode(f, pcm_); }); break;
        case SoundFormat::Nellymoser16k:
        case SoundFormat::Nellymoser8k:
        case SoundFormat::Nellymoser:
            // Whole blocks only; a few hundred at a time keeps the decoder's frames small.
            for (size_t at = 0; at + kNellymoserBlock <= bytes.size(); at += 256 * kNellymoserBlock)
                session_->decode(bytes.subspan(at, std::min(256 * kNellymoserBlock, (bytes.size() - at) / kNellymoserBlock * kNellymoserBlock)), pcm_);
            break;
        default: session_->decode(bytes, pcm_); break;
        }
    }

    SourcePcm finish() {
        if (session_) session_->flush(pcm_);
        return std::move(pcm_);
    }
    const SourcePcm& pcm() const { return pcm_; }

private:
    void appendPcm(std::span<const uint8_t> bytes) {
        const size_t width = encoding_.sixteenBit ? 2 : 1;
        const size_t frameBytes = width * size_t(pcm_.channels);
        const size_t count = bytes.size() / frameBytes;
        std::vector<int16_t> samples(count * size_t(pcm_.channels));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = width == 2 ? int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8) : int16_t((int(bytes[i]) - 128) << 8);
        pcm_.append(samples.data(), count);
    }

    SoundFormat format_ = SoundFormat::PcmLittleEndian;
    SoundEncoding encoding_;
    std::unique_ptr<SoundCodecSession> session_;
    SourcePcm pcm_;
};

int64_t toMixFrames(int64_t sourceFrames, int doubledSourceRate) {
    if (doubledSourceRate <= 0) return 0;
    return (sourceFrames * 2 * kMixRate + doubledSourceRate / 2) / doubledSourceRate;
}

}  // namespace

int64_t DecodedStream::frameStart(uint32_t frame) const {
    auto it = std::lower_bound(frameStarts.begin(), frameStarts.end(), frame,
                               [](const std::pair<uint32_t, int64_t>& p, uint32_t f) { return p.first < f; });
    return it != frameStarts.end() && it->first == frame ? it->second : -1;
}

Result<PcmSound> decodeEventSound(const SoundDef& sound) {
    auto decoder = BlockDecoder::open(sound.encoding);
    if (!decoder) return decoder.error();
    decoder->decode(sound.data);
    SourcePcm source = decoder->finish();
    const size_t channels = size_t(std::max(source.channels, 1));
    // MP3 carries the encoder's delay at the start; the file says how much of it to skip.
    if (sound.mp3SeekSamples > 0) {
        const size_t skip = std::min(source.frames(), size_t(sound.mp3SeekSamples));
        source.samples.erase(source.samples.begin(), source.samples.begin() + std::ptrdiff_t(skip * channels));
    }
    // The sample count ends the sound where the codec pads its last block.
    if (sound.sampleCount > 0 && source.frames() > sound.sampleCount) source.samples.resize(sound.sampleCount * channels);
    return resampleToMixRate(std::move(source));
}

Result<DecodedStream> decodeStreamSound(const SoundStreamDef& stream) {
    auto decoder = BlockDecoder::open(stream.head.stream);
    if (!decoder) return decoder.error();
    std::vector<std::pair<uint32_t, int64_t>> sourceStarts;
    sourceStarts.reserve(stream.blocks.size());
    for (const auto& [frame, block] : stream.blocks) {
        // A frame's sound begins where its block's data does, less the MP3 samples that still
        // belong to the frame before.
        // Files that leave the first block's seek at 0 give the encoder's delay in the head.
        const int seek = block.mp3SeekSamples != 0 || !sourceStarts.empty() ? block.mp3SeekSamples : stream.head.latencySeek;
        const int64_t start = int64_t(decoder->pcm().frames()) + seek;
        if (sourceStarts.empty() || sourceStarts.back().first != frame) sourceStarts.emplace_back(frame, std::max<int64_t>(start, 0));
        decoder->decode(block.data);
    }
    SourcePcm source = decoder->finish();
    const int rate = source.doubledRate;
    auto pcm = resampleToMixRate(std::move(source));
    if (!pcm) return pcm.error();
    DecodedStream decoded;
    decoded.pcm = std::move(pcm.value());
    decoded.frameStarts.reserve(sourceStarts.size());
    for (const auto& [frame, start] : sourceStarts) decoded.frameStarts.emplace_back(frame, toMixFrames(start, rate));
    return decoded;
}

}  // namespace kelmora::player
