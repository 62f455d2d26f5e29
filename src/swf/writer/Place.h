#pragma once
// PlaceObject2/PlaceObject3 records, with clip actions, filters and blend modes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/writer/ActionBuilder.h"
#include "swf/writer/Filters.h"
#include "swf/writer/Records.h"

namespace kelmora::swf {

// Clip event flags as the 32-bit field of SWF 6+ reads most significant bit first; SWF 5 writes
// the upper 16 bits only.
enum ClipEvent : std::uint32_t {
    KeyUp = 1u << 31, KeyDown = 1u << 30, MouseUp = 1u << 29, MouseDown = 1u << 28, MouseMove = 1u << 27,
    Unload = 1u << 26, EnterFrame = 1u << 25, Load = 1u << 24, DragOver = 1u << 23, RollOut = 1u << 22,
    RollOver = 1u << 21, ReleaseOutside = 1u << 20, Release = 1u << 19, Press = 1u << 18, Initialize = 1u << 17,
    Data = 1u << 16, Construct = 1u << 10, KeyPress = 1u << 9, DragOut = 1u << 8,
};

struct ClipAction {
    std::uint32_t events = 0;  // ClipEvent bits
    std::uint8_t keyCode = 0;  // written when events has KeyPress
    ActionBuilder actions;     // should end with end()
};

enum class BlendMode : std::uint8_t {
    Normal = 1, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7, Add = 8,
    Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14,
};

// One display-list change. Built as Place::add(id, depth).matrix(...).name("a") or Place::move(depth)...
class Place {
public:
    static Place add(std::uint16_t characterId, std::uint16_t depth);
    static Place move(std::uint16_t depth);       // modify the object at depth
    static Place replace(std::uint16_t characterId, std::uint16_t depth);  // move + character

    Place& matrix(const Matrix& m) { matrix_ = m; return *this; }
    Place& cxform(const ColorTransform& cx) { cxform_ = cx; return *this; }
    Place& ratio(std::uint16_t r) { ratio_ = r; return *this; }
    Place& name(std::string n) { name_ = std::move(n); return *this; }
    Place& clipDepth(std::uint16_t d) { clipDepth_ = d; return *this; }
    Place& clipAction(ClipAction a) { clipActions_.push_back(std::move(a)); return *this; }
    // PlaceObject3 only:
    Place& filter(const Filter& f) { filters_.push_back(f); hasFilters_ = true; return *this; }
    Place& emptyFilterList() { hasFilters_ = true; return *this; }
    Place& blendMode(BlendMode m) { blendMode_ = m; return *this; }
    Place& cacheAsBitmap(bool on) { cacheAsBitmap_ = on; return *this; }
    Place& visible(bool on) { visible_ = on; return *this; }
    Place& opaqueBackground(Rgba c) { background_ = c; return *this; }
    Place& className(std::string n) { className_ = std::move(n); return *this; }
    Place& hasImage(bool on = true) { hasImage_ = on; return *this; }

    // Bodies of PlaceObject2 and PlaceObject3; swfVersion picks the clip event flag width.
    Bytes encodePlaceObject2(int swfVersion) const;
    Bytes encodePlaceObject3(int swfVersion) const;
    // True when only PlaceObject3 can carry this change.
    bool needsPlaceObject3() const;

private:
    void writePlaceFlags(BitWriter& w) const;
    void writeCommon(BitWriter& w) const;
    void writeClipActions(BitWriter& w, int swfVersion) const;

    std::uint16_t depth_ = 0;
    bool move_ = false;
    std::optional<std::uint16_t> characterId_;
    std::optional<Matrix> matrix_;
    std::optional<ColorTransform> cxform_;
    std::optional<std::uint16_t> ratio_;
    std::optional<std::string> name_;
    std::optional<std::uint16_t> clipDepth_;
    std::vector<ClipAction> clipActions_;
    std::vector<Filter> filters_;
    bool hasFilters_ = false;
    std::optional<BlendMode> blendMode_;
    std::optional<bool> cacheAsBitmap_;
    std::optional<bool> visible_;
    std::optional<Rgba> background_;
    std::optional<std::string> className_;
    bool hasImage_ = false;
};

}  // namespace kelmora::swf
