// Timeline tags for bitmaps, fonts and text, buttons, morphs, sound and video.
#include "swf/writer/Timeline.h"

#include <stdexcept>

namespace kelmora::swf {

namespace {

Bytes withId(std::uint16_t id, const Bytes& body) {
    BitWriter w;
    w.u16(id).bytes(body);
    return w.take();
}

void writeSoundFormat(BitWriter& w, const SoundFormat& f) {
    w.ub(static_cast<std::uint32_t>(f.codec), 4).ub(static_cast<std::uint32_t>(f.rate), 2).flag(f.sixteenBit).flag(f.stereo);
}

}  // namespace

Timeline& Timeline::defineMorphShape(std::uint16_t id, const MorphShape& morph) {
    return tag(TagCode::DefineMorphShape, encodeDefineMorphShape(id, morph, 1));
}

Timeline& Timeline::defineMorphShape2(std::uint16_t id, const MorphShape& morph) {
    return tag(TagCode::DefineMorphShape2, encodeDefineMorphShape(id, morph, 2));
}

Timeline& Timeline::defineBitsLossless(std::uint16_t id, const Pixels& pixels, LosslessFormat format) {
    return tag(TagCode::DefineBitsLossless, withId(id, encodeLosslessBitmap(pixels, format, false)));
}

Timeline& Timeline::defineBitsLossless2(std::uint16_t id, const Pixels& pixels, LosslessFormat format) {
    return tag(TagCode::DefineBitsLossless2, withId(id, encodeLosslessBitmap(pixels, format, true)));
}

Timeline& Timeline::defineBitsJpeg2(std::uint16_t id, std::span<const std::uint8_t> imageData) {
    BitWriter w;
    w.u16(id).bytes(imageData);
    return tag(TagCode::DefineBitsJPEG2, w.data());
}

Timeline& Timeline::defineBitsJpeg2(std::uint16_t id, const Pixels& pixels, int quality) {
    return defineBitsJpeg2(id, encodeJpeg(pixels, quality));
}

Timeline& Timeline::defineBitsJpeg3(std::uint16_t id, const Pixels& pixels, int quality) {
    return defineBitsJpeg3(id, encodeJpeg(pixels, quality), compressedAlpha(pixels));
}

Timeline& Timeline::defineBitsJpeg3(std::uint16_t id, std::span<const std::uint8_t> imageData,
                                    std::span<const std::uint8_t> zlibAlpha) {
    BitWriter w;
    w.u16(id).u32(static_cast<std::uint32_t>(imageData.size())).bytes(imageData).bytes(zlibAlpha);
    return tag(TagCode::DefineBitsJPEG3, w.data());
}

Timeline& Timeline::defineBitsJpeg4(std::uint16_t id, std::span<const std::uint8_t> imageData,
                                    std::span<const std::uint8_t> zlibAlpha, double deblocking) {
    BitWriter w;
    w.u16(id).u32(static_cast<std::uint32_t>(imageData.size())).fixed8(deblocking).bytes(imageData).bytes(zlibAlpha);
    return tag(TagCode::DefineBitsJPEG4, w.data());
}

Timeline& Timeline::jpegTables(std::span<const std::uint8_t> tables) { return tag(TagCode::JPEGTables, tables); }

Timeline& Timeline::defineBits(std::uint16_t id, std::span<const std::uint8_t> imageWithoutTables) {
    BitWriter w;
    w.u16(id).bytes(imageWithoutTables);
    return tag(TagCode::DefineBits, w.data());
}

Timeline& Timeline::defineFont(std::uint16_t id, const std::vector<Shape>& glyphs) {
    return tag(TagCode::DefineFont, encodeDefineFont(id, glyphs));
}

Timeline& Timeline::defineFont2(std::uint16_t id, const Font& font) { return tag(TagCode::DefineFont2, encodeDefineFont2(id, font, 2)); }

Timeline& Timeline::defineFont3(std::uint16_t id, const Font& font) { return tag(TagCode::DefineFont3, encodeDefineFont2(id, font, 3)); }

Timeline& Timeline::defineFontInfo(std::uint16_t fontId, const Font& font) {
    return tag(TagCode::DefineFontInfo, encodeDefineFontInfo(fontId, font, 1));
}

Timeline& Timeline::defineFontInfo2(std::uint16_t fontId, const Font& font) {
    return tag(TagCode::DefineFontInfo2, encodeDefineFontInfo(fontId, font, 2));
}

Timeline& Timeline::defineFontName(std::uint16_t fontId, std::string_view name, std::string_view copyright) {
    return tag(TagCode::DefineFontName, BitWriter().u16(fontId).string(name).string(copyright).data());
}

Timeline& Timeline::defineText(std::uint16_t id, const StaticText& text) { return tag(TagCode::DefineText, encodeDefineText(id, text, 1)); }

Timeline& Timeline::defineText2(std::uint16_t id, const StaticText& text) { return tag(TagCode::DefineText2, encodeDefineText(id, text, 2)); }

Timeline& Timeline::defineEditText(std::uint16_t id, const EditText& text) {
    return tag(TagCode::DefineEditText, encodeDefineEditText(id, text));
}

Timeline& Timeline::defineButton(std::uint16_t id, const std::vector<ButtonRecord>& records, const ActionBuilder& actions) {
    return tag(TagCode::DefineButton, encodeDefineButton(id, records, actions));
}

Timeline& Timeline::defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records,
                                  const std::vector<ButtonCondAction>& actions, bool trackAsMenu) {
    return tag(TagCode::DefineButton2, encodeDefineButton2(id, records, actions, trackAsMenu));
}

Timeline& Timeline::defineButtonCxform(std::uint16_t buttonId, const ColorTransform& cxform) {
    BitWriter w;
    w.u16(buttonId);
    writeCxform(w, cxform);
    return tag(TagCode::DefineButtonCxform, w.data());
}

Timeline& Timeline::defineButtonSound(std::uint16_t buttonId,
                                      const std::array<std::pair<std::uint16_t, SoundInfo>, 4>& sounds) {
    BitWriter w;
    w.u16(buttonId);
    for (const auto& [soundId, info] : sounds) {
        w.u16(soundId);
        if (soundId != 0) writeSoundInfo(w, info);
    }
    return tag(TagCode::DefineButtonSound, w.data());
}

Timeline& Timeline::defineSound(std::uint16_t id, const SoundFormat& format, std::uint32_t sampleCount,
                                std::span<const std::uint8_t> data) {
    BitWriter w;
    w.u16(id);
    writeSoundFormat(w, format);
    w.u32(sampleCount).bytes(data);
    return tag(TagCode::DefineSound, w.data());
}

Timeline& Timeline::startSound(std::uint16_t soundId, const SoundInfo& info) {
    BitWriter w;
    w.u16(soundId);
    writeSoundInfo(w, info);
    return tag(TagCode::StartSound, w.data());
}

Timeline& Timeline::startSound2(std::string_view className, const SoundInfo& info) {
    BitWriter w;
    w.string(className);
    writeSoundInfo(w, info);
    return tag(TagCode::StartSound2, w.data());
}

Timeline& Timeline::streamHead(TagCode code, const SoundFormat& playback, const SoundFormat& stream,
                               std::uint16_t samplesPerBlock, std::int16_t latencySeek) {
    BitWriter w;
    w.ub(0, 4).ub(static_cast<std::uint32_t>(playback.rate), 2).flag(playback.sixteenBit).flag(playback.stereo);
    writeSoundFormat(w, stream);
    w.u16(samplesPerBlock);
    if (stream.codec == SoundCodec::Mp3) w.s16(latencySeek);
    return tag(code, w.data());
}

Timeline& Timeline::soundStreamHead(const SoundFormat& playback, const SoundFormat& stream,
                                    std::uint16_t samplesPerBlock, std::int16_t latencySeek) {
    return streamHead(TagCode::SoundStreamHead, playback, stream, samplesPerBlock, latencySeek);
}

Timeline& Timeline::soundStreamHead2(const SoundFormat& playback, const SoundFormat& stream,
                                     std::uint16_t samplesPerBlock, std::int16_t latencySeek) {
    return streamHead(TagCode::SoundStreamHead2, playback, stream, samplesPerBlock, latencySeek);
}

Timeline& Timeline::soundStreamBlock(std::span<const std::uint8_t> data) { return tag(TagCode::SoundStreamBlock, data); }

Timeline& Timeline::defineVideoStream(std::uint16_t id, const VideoStream& s) {
    if (s.deblocking > 7) throw std::out_of_range("video deblocking is 0 to 7");
    BitWriter w;
    w.u16(id).u16(s.frameCount).u16(s.width).u16(s.height);
    w.ub(0, 4).ub(s.deblocking, 3).flag(s.smoothing).u8(static_cast<std::uint8_t>(s.codec));
    return tag(TagCode::DefineVideoStream, w.data());
}

Timeline& Timeline::videoFrame(std::uint16_t streamId, std::uint16_t frame, std::span<const std::uint8_t> data) {
    BitWriter w;
    w.u16(streamId).u16(frame).bytes(data);
    return tag(TagCode::VideoFrame, w.data());
}

}  // namespace kelmora::swf
