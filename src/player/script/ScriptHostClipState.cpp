// Clip state that scripts read and write by name: blendMode and cacheAsBitmap (SWF 8), enabled and
// useHandCursor (SWF 6), _lockroot (SWF 7, which decides what _root means inside a loaded movie).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>

#include "player/avm1/Object.h"
#include "player/display/DisplayObject.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

namespace {
// In BlendMode order, starting at Normal = 1.
constexpr std::array<const char*, 14> kBlendModeNames = {"normal", "layer", "multiply", "screen", "lighten",
                                                         "darken", "difference", "add", "subtract", "invert",
                                                         "alpha", "erase", "overlay", "hardlight"};

// The mode a script's value names; nothing when the player would keep the mode it had.
std::optional<BlendMode> blendModeOf(avm1::Interpreter& in, const avm1::Value& v) {
    if (v.isNullish()) return BlendMode::Normal;
    if (v.isNumber()) {
        const double n = v.number();
        if (!std::isfinite(n)) return std::nullopt;
        // The player keeps the low byte of the number.
        const uint32_t index = avm1::toUint32(n) & 0xFF;
        if (index < 1 || index > kBlendModeNames.size()) return std::nullopt;
        return static_cast<BlendMode>(index);
    }
    if (!v.isString()) return std::nullopt;  // booleans and objects change nothing
    (void)in;
    for (size_t i = 0; i < kBlendModeNames.size(); ++i)
        if (v.string() == kBlendModeNames[i]) return static_cast<BlendMode>(i + 1);
    return std::nullopt;
}

enum class StateName { None, BlendMode, CacheAsBitmap, Enabled, UseHandCursor, LockRoot };

StateName stateName(std::string_view name, int version) {
    avm1::NameEqual eq{version >= 7};
    if (version >= 8 && eq(name, "blendMode")) return StateName::BlendMode;
    if (version >= 8 && eq(name, "cacheAsBitmap")) return StateName::CacheAsBitmap;
    if (version >= 6 && eq(name, "enabled")) return StateName::Enabled;
    if (version >= 6 && eq(name, "useHandCursor")) return StateName::UseHandCursor;
    if (version >= 7 && eq(name, "_lockroot")) return StateName::LockRoot;
    return StateName::None;
}
}  // namespace

std::optional<avm1::Value> ScriptEngine::clipStateProperty(ClipId clip, std::string_view name) {
    DisplayObject* o = object(clip);
    if (!o || (!o->asMovieClip() && o->kind() != CharacterKind::Button)) return std::nullopt;
    static const ClipState kDefault;
    auto it = clipStates_.find(clip);
    const ClipState& s = it != clipStates_.end() ? it->second : kDefault;
    switch (stateName(name, versionOf(*o))) {
    case StateName::BlendMode: {
        const auto index = static_cast<size_t>(o->blendMode);
        return avm1::Value(index >= 1 && index <= kBlendModeNames.size() ? kBlendModeNames[index - 1] : "normal");
    }
    case StateName::CacheAsBitmap: return avm1::Value(o->cacheAsBitmap);
    case StateName::Enabled: return avm1::Value(s.enabled);
    case StateName::UseHandCursor: return avm1::Value(s.useHandCursor);
    case StateName::LockRoot: return o->asMovieClip() ? std::optional(avm1::Value(s.lockRoot)) : std::nullopt;
    case StateName::None: break;
    }
    return std::nullopt;
}

bool ScriptEngine::setClipStateProperty(ClipId clip, std::string_view name, const avm1::Value& value) {
    DisplayObject* o = object(clip);
    if (!o || (!o->asMovieClip() && o->kind() != CharacterKind::Button)) return false;
    avm1::Interpreter& in = *interpreter_;
    switch (stateName(name, versionOf(*o))) {
    case StateName::BlendMode:
        if (auto mode = blendModeOf(in, value)) o->blendMode = *mode;
        return true;
    case StateName::CacheAsBitmap: o->cacheAsBitmap = in.toBoolean(value); return true;
    case StateName::Enabled: clipStates_[clip].enabled = in.toBoolean(value); return true;
    case StateName::UseHandCursor: clipStates_[clip].useHandCursor = in.toBoolean(value); return true;
    case StateName::LockRoot:
        if (!o->asMovieClip()) return false;
        clipStates_[clip].lockRoot = in.toBoolean(value);
        return true;
    case StateName::None: break;
    }
    return false;
}

bool ScriptEngine::locksRoot(ClipId clip) const {
    auto it = clipStates_.find(clip);
    return it != clipStates_.end() && it->second.lockRoot;
}

namespace {
constexpr std::array<const char*, 4> kQualityNames = {"LOW", "MEDIUM", "HIGH", "BEST"};
}

avm1::Value ScriptEngine::playerSetting(avm1::ClipProperty p) const {
    using avm1::ClipProperty;
    const size_t q = static_cast<size_t>(std::clamp(quality_, 0, 3));
    switch (p) {
    case ClipProperty::Quality: return avm1::Value(kQualityNames[q]);
    case ClipProperty::HighQuality: return avm1::Value(q == 3 ? 2 : q == 2 ? 1 : 0);
    case ClipProperty::SoundBufTime: return avm1::Value(soundBufferTime_);
    default: return avm1::Value();
    }
}

void ScriptEngine::setPlayerSetting(avm1::ClipProperty p, double n, std::string_view text) {
    using avm1::ClipProperty;
    switch (p) {
    case ClipProperty::Quality:
        // Only the four names count; anything else keeps the quality.
        for (size_t i = 0; i < kQualityNames.size(); ++i)
            if (avm1::NameEqual{false}(text, kQualityNames[i])) quality_ = static_cast<int>(i);
        return;
    case ClipProperty::HighQuality:
        if (std::isnan(n)) return;
        // 2 and up is best, 0 up to 1 low, anything else (negatives too) high.
        quality_ = n >= 2 ? 3 : (n >= 0 && n < 1) ? 0 : 2;
        return;
    case ClipProperty::SoundBufTime:
        if (std::isnan(n)) return;
        // Whole seconds in 32 bits; out of range is the smallest.
        soundBufferTime_ = std::isfinite(n) && n > -2147483649.0 && n < 2147483648.0 ? static_cast<int>(n) : INT32_MIN;
        return;
    default: return;
    }
}

// A level's _focusrect starts on; other clips have none of their own from SWF 6 on.
avm1::Value ScriptEngine::focusRect(ClipId clip) {
    auto it = clipStates_.find(clip);
    if (it != clipStates_.end() && it->second.focusRect) return avm1::Value(*it->second.focusRect);
    DisplayObject* o = object(clip);
    if (!o) return avm1::Value();
    if (versionOf(*o) < 6) return avm1::Value(1.0);
    return levelNumber(clip) >= 0 ? avm1::Value(true) : avm1::Value::null();
}

void ScriptEngine::carryClipState(ClipId from, ClipId to) {
    auto it = clipStates_.find(from);
    if (it == clipStates_.end()) return;
    const ClipState s = it->second;
    clipStates_.erase(it);
    clipStates_[to] = s;
}

}  // namespace kelmora::player::script
