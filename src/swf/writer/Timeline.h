#pragma once
// A list of SWF tags with frame boundaries: the main timeline of SwfWriter and the body of a
// DefineSprite. Every tag-writing method appends one tag and returns *this for chaining.
// Character ids are chosen by the caller.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/writer/ActionBuilder.h"
#include "swf/writer/BitWriter.h"
#include "swf/writer/Bitmap.h"
#include "swf/writer/Button.h"
#include "swf/writer/Morph.h"
#include "swf/writer/Place.h"
#include "swf/writer/Records.h"
#include "swf/writer/Shape.h"
#include "swf/writer/Sound.h"
#include "swf/writer/TagCode.h"
#include "swf/writer/Text.h"

namespace kelmora::swf {

enum class TagForm { Auto, Long };

// FileAttributes flags (SWF 8+; must be the first tag when present).
struct FileAttributes {
    bool useDirectBlit = false;
    bool useGpu = false;
    bool hasMetadata = false;
    bool actionScript3 = false;
    bool useNetwork = false;
};

struct SceneInfo {
    std::uint32_t frameOffset = 0;  // 0-based first frame
    std::string name;
};

struct FrameLabelInfo {
    std::uint32_t frame = 0;  // 0-based
    std::string label;
};

class Timeline {
public:
    explicit Timeline(int swfVersion = 10) : version_(swfVersion) {}
    virtual ~Timeline() = default;
    Timeline(const Timeline&) = default;
    Timeline& operator=(const Timeline&) = default;

    int version() const { return version_; }

    // Any tag: short header when the body is under 63 bytes (unless Long is asked), long otherwise.
    // Bitmap tags always get the long header, as players expect.
    Timeline& tag(TagCode code, std::span<const std::uint8_t> body, TagForm form = TagForm::Auto);
    Timeline& tag(std::uint16_t code, std::span<const std::uint8_t> body, TagForm form = TagForm::Auto);

    // Frames and control.
    Timeline& showFrame(int count = 1);
    Timeline& frameLabel(std::string_view name, bool namedAnchor = false);
    Timeline& end();
    Timeline& setBackgroundColor(Rgba color);
    Timeline& fileAttributes(const FileAttributes& attributes);
    Timeline& sceneAndFrameLabels(const std::vector<SceneInfo>& scenes, const std::vector<FrameLabelInfo>& labels);
    Timeline& exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& assets);
    Timeline& scriptLimits(std::uint16_t maxRecursionDepth, std::uint16_t scriptTimeoutSeconds);
    Timeline& setTabIndex(std::uint16_t depth, std::uint16_t tabIndex);

    // Shapes. version 0 picks the lowest DefineShape tag that holds the shape.
    Timeline& defineShape(std::uint16_t id, const Shape& shape, int shapeVersion = 0);

    // 9-slice scaling grid for a sprite or button (twips in the character's space).
    Timeline& defineScalingGrid(std::uint16_t characterId, const Rect& splitter);

    // Morph shapes (DefineMorphShape, or DefineMorphShape2 for LINESTYLE2 fields and edge bounds).
    Timeline& defineMorphShape(std::uint16_t id, const MorphShape& morph);
    Timeline& defineMorphShape2(std::uint16_t id, const MorphShape& morph);

    // Bitmaps. Lossless bitmaps take straight ARGB pixels (DefineBitsLossless2 premultiplies).
    Timeline& defineBitsLossless(std::uint16_t id, const Pixels& pixels, LosslessFormat format = LosslessFormat::Rgb32);
    Timeline& defineBitsLossless2(std::uint16_t id, const Pixels& pixels, LosslessFormat format = LosslessFormat::Rgb32);
    // DefineBitsJPEG2 from image bytes as given (JPEG, PNG or GIF), or JPEG-encoded pixels.
    Timeline& defineBitsJpeg2(std::uint16_t id, std::span<const std::uint8_t> imageData);
    Timeline& defineBitsJpeg2(std::uint16_t id, const Pixels& pixels, int quality = 90);
    // DefineBitsJPEG3: JPEG-encoded colour and the zlib-compressed alpha of the pixels.
    Timeline& defineBitsJpeg3(std::uint16_t id, const Pixels& pixels, int quality = 90);
    Timeline& defineBitsJpeg3(std::uint16_t id, std::span<const std::uint8_t> imageData,
                              std::span<const std::uint8_t> zlibAlpha);
    // DefineBitsJPEG4: deblocking strength as 8.8 fixed; zlibAlpha may be empty.
    Timeline& defineBitsJpeg4(std::uint16_t id, std::span<const std::uint8_t> imageData,
                              std::span<const std::uint8_t> zlibAlpha, double deblocking);
    // DefineBits holds only the image part; the tables come from the movie's one JPEGTables tag.
    Timeline& jpegTables(std::span<const std::uint8_t> tables);
    Timeline& defineBits(std::uint16_t id, std::span<const std::uint8_t> imageWithoutTables);

    // Fonts and text.
    Timeline& defineFont(std::uint16_t id, const std::vector<Shape>& glyphs);
    Timeline& defineFont2(std::uint16_t id, const Font& font);
    Timeline& defineFont3(std::uint16_t id, const Font& font);
    Timeline& defineFontInfo(std::uint16_t fontId, const Font& font);
    Timeline& defineFontInfo2(std::uint16_t fontId, const Font& font);
    Timeline& defineFontName(std::uint16_t fontId, std::string_view name, std::string_view copyright);
    Timeline& defineText(std::uint16_t id, const StaticText& text);
    Timeline& defineText2(std::uint16_t id, const StaticText& text);
    Timeline& defineEditText(std::uint16_t id, const EditText& text);

    // Buttons.
    Timeline& defineButton(std::uint16_t id, const std::vector<ButtonRecord>& records, const ActionBuilder& actions);
    Timeline& defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records,
                            const std::vector<ButtonCondAction>& actions = {}, bool trackAsMenu = false);
    Timeline& defineButtonCxform(std::uint16_t buttonId, const ColorTransform& cxform);
    // Sounds for the four transitions (0 = none): OverUpToIdle, IdleToOverUp, OverUpToOverDown, OverDownToOverUp.
    Timeline& defineButtonSound(std::uint16_t buttonId, const std::array<std::pair<std::uint16_t, SoundInfo>, 4>& sounds);

    // Sound.
    Timeline& defineSound(std::uint16_t id, const SoundFormat& format, std::uint32_t sampleCount,
                          std::span<const std::uint8_t> data);
    Timeline& startSound(std::uint16_t soundId, const SoundInfo& info = {});
    Timeline& startSound2(std::string_view className, const SoundInfo& info = {});
    // latencySeek is written for MP3 streams only.
    Timeline& soundStreamHead(const SoundFormat& playback, const SoundFormat& stream, std::uint16_t samplesPerBlock,
                              std::int16_t latencySeek = 0);
    Timeline& soundStreamHead2(const SoundFormat& playback, const SoundFormat& stream, std::uint16_t samplesPerBlock,
                               std::int16_t latencySeek = 0);
    Timeline& soundStreamBlock(std::span<const std::uint8_t> data);

    // Video.
    Timeline& defineVideoStream(std::uint16_t id, const VideoStream& stream);
    Timeline& videoFrame(std::uint16_t streamId, std::uint16_t frame, std::span<const std::uint8_t> data);

    // Display list.
    Timeline& placeObject(std::uint16_t characterId, std::uint16_t depth, const Matrix& matrix = {},
                          const std::optional<ColorTransform>& cxform = std::nullopt);
    // PlaceObject2, or PlaceObject3 when the change needs it.
    Timeline& place(const Place& p);
    Timeline& placeObject2(const Place& p);
    Timeline& placeObject3(const Place& p);
    Timeline& removeObject(std::uint16_t characterId, std::uint16_t depth);
    Timeline& removeObject2(std::uint16_t depth);

    // Scripts; the builder's code is written as it is, so close it with end().
    Timeline& doAction(const ActionBuilder& actions);
    Timeline& doInitAction(std::uint16_t spriteId, const ActionBuilder& actions);

    // Sprites: a nested timeline. The frame count is the sprite's ShowFrame count unless given;
    // an End tag is added when the sprite's tags do not end with one.
    Timeline& defineSprite(std::uint16_t id, const Timeline& sprite, std::optional<std::uint16_t> frameCount = std::nullopt);
    Timeline& defineSprite(std::uint16_t id, const std::function<void(Timeline&)>& build);
    // A new empty timeline with this one's version, for building a sprite.
    Timeline sprite() const { return Timeline(version_); }

    // Frames finished so far (ShowFrame tags).
    int frameCount() const { return frames_; }
    // The tags as written; withEnd adds an End tag unless the last tag is one.
    Bytes tagBytes(bool withEnd) const;

private:
    Timeline& streamHead(TagCode code, const SoundFormat& playback, const SoundFormat& stream,
                         std::uint16_t samplesPerBlock, std::int16_t latencySeek);

    int version_;
    Bytes tags_;
    int frames_ = 0;
    bool endsWithEnd_ = false;
};

}  // namespace kelmora::swf
