#pragma once
// A list of SWF tags with frame boundaries: the main timeline of SwfWriter and the body of a
// DefineSprite. Every tag-writing method appends one tag and returns *this for chaining.
// Character ids are chosen by the caller.
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
#include "swf/writer/Place.h"
#include "swf/writer/Records.h"
#include "swf/writer/Shape.h"
#include "swf/writer/TagCode.h"

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
    int version_;
    Bytes tags_;
    int frames_ = 0;
    bool endsWithEnd_ = false;
};

}  // namespace kelmora::swf
