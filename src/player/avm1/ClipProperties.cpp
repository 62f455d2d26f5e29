#include "player/avm1/ClipProperties.h"

#include <cmath>

#include "player/avm1/Interpreter.h"
#include "player/avm1/TextClasses.h"

namespace kelmora::player::avm1 {

namespace {
constexpr std::string_view kNames[kClipPropertyCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};
}  // namespace

int clipPropertyIndex(std::string_view name) {
    if (name.size() < 2 || name[0] != '_') return -1;
    NameEqual eq{false};
    for (int i = 0; i < kClipPropertyCount; ++i)
        if (eq(name, kNames[i])) return i;
    return -1;
}

Value getClipProperty(Interpreter& in, ClipId clip, int index) {
    auto p = static_cast<ClipProperty>(index);
    if (p == ClipProperty::Target) return Value(in.targetPath(clip, true));
    if (p == ClipProperty::Name) return Value(in.host().name(clip));
    if (p == ClipProperty::FocusRect) return focusRect(in, clip);
    return in.host().getProperty(clip, p);
}

void setClipProperty(Interpreter& in, ClipId clip, int index, const Value& value) {
    auto p = static_cast<ClipProperty>(index);
    switch (p) {
    case ClipProperty::Name:
    case ClipProperty::Quality: in.host().setProperty(clip, p, 0, in.toString(value)); return;
    case ClipProperty::Target:
    case ClipProperty::CurrentFrame:
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded:
    case ClipProperty::DropTarget:
    case ClipProperty::Url:
    case ClipProperty::XMouse:
    case ClipProperty::YMouse: return;  // read-only
    case ClipProperty::FocusRect: setFocusRect(in, clip, value); return;
    default: break;
    }
    // undefined and null change nothing, in every version; _visible takes a number too.
    if (value.isNullish()) return;
    double n = in.toNumber(value);
    // The player-wide settings read a text that is no number as none, in every version.
    const bool setting = p == ClipProperty::HighQuality || p == ClipProperty::SoundBufTime;
    if (setting && value.isString()) n = stringToNumber(value.string(), 7);
    if (p == ClipProperty::Visible) {
        if (!std::isnan(n)) in.host().setProperty(clip, p, n != 0 ? 1 : 0, {});
        return;
    }
    if (std::isnan(n)) return;  // the player keeps the old value
    in.host().setProperty(clip, p, n, {});
}

}  // namespace kelmora::player::avm1
