// Actions of SWF 3 and 4 that act on clips: timeline control, targets, properties, variables,
// URLs and loading.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <limits>

#include "player/avm1/Actions.h"
#include "player/avm1/ClipProperties.h"
#include "player/format/BitReader.h"

namespace kelmora::player::avm1 {

namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NameEqual{false}(s.substr(0, prefix.size()), prefix);
}

// The clip a stack value names: a clip object, or a path relative to the current target.
ClipId clipOf(Interpreter& in, Frame& f, const Value& v) {
    if (Object* o = v.object()) {
        if (o->kind() == ObjectKind::Clip) return in.liveClip(o);
    }
    std::string path = in.toString(v);
    if (path.empty()) return f.target;
    return in.resolveTarget(f.target, path);
}

// Inside tellTarget the scope chain is the target clip alone (then _global); leaving it
// brings the frame's own chain back.
void setTarget(Interpreter& in, Frame& f, ClipId clip, bool found) {
    f.targetLost = false;
    if (f.originalTarget != kNoClip && !in.host().exists(f.originalTarget)) {
        // A script whose own clip was removed can't tell any clip anything any more; its names
        // are looked up on the root.
        f.target = f.originalTarget;
        ClipId root = in.host().rootOf(f.originalTarget);
        if (!in.host().exists(root)) root = in.host().level(0);
        if (!f.inTellTarget) f.savedScope = f.scope;
        f.inTellTarget = true;
        if (Object* r = in.clipObject(root)) f.scope.assign(1, r);
        return;
    }
    if (!found) {
        // A target that names no clip leaves the script acting on its movie's root.
        ClipId root = f.originalTarget != kNoClip ? in.host().rootOf(f.originalTarget) : in.host().level(0);
        if (root == kNoClip) return;
        clip = root;
        f.targetLost = true;
    }
    bool back = clip == f.originalTarget;
    f.target = clip;
    if (back) {
        if (f.inTellTarget) f.scope = std::move(f.savedScope);
        f.inTellTarget = false;
        return;
    }
    if (!f.inTellTarget) f.savedScope = f.scope;
    f.inTellTarget = true;
    f.scope.assign(1, in.clipObject(f.target));
}

void skipActions(Frame& f, size_t count) {
    const auto& bytes = *f.code;
    size_t end = std::min(f.end, bytes.size());
    for (size_t i = 0; i < count && f.pc < end; ++i) {
        uint8_t code = bytes[f.pc++];
        if (code >= 0x80) {
            if (f.pc + 2 > end) { f.pc = end; return; }
            size_t len = bytes[f.pc] | (bytes[f.pc + 1] << 8);
            f.pc += 2 + len;
        }
    }
    if (f.pc > end) f.pc = end;
}

// Whether the 0-based frame has loaded. Of a movie that has loaded whole, every frame the player
// could hold (16000) counts as loaded; frames before the first always do.
bool frameLoaded(Interpreter& in, ClipId clip, int64_t frame) {
    if (clip == kNoClip) return false;
    if (frame < 0) return true;
    const double loaded = in.toNumber(in.host().getProperty(clip, ClipProperty::FramesLoaded));
    const double total = in.toNumber(in.host().getProperty(clip, ClipProperty::TotalFrames));
    if (loaded >= total) return frame <= 16000;
    return static_cast<double>(frame) < loaded;
}

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A frame number written in digits, 1-based, taken modulo 2^32 as the player does.
uint32_t frameNumberOf(const std::string& digits) {
    uint32_t n = 0;
    for (char c : digits) n = n * 10u + static_cast<uint32_t>(c - '0');
    return n;
}

void loadUrl(Interpreter& in, Frame& f, const std::string& url, const std::string& target, int method, bool loadTarget,
             bool loadVariables) {
    if (startsWithNoCase(url, "FSCommand:")) {
        in.host().fsCommand(std::string_view(url).substr(10), target);
        return;
    }
    if (loadVariables) {
        // Variables come from a local text file into the target clip (or level), with the next frame.
        ClipId clip = kNoClip;
        if (!loadTarget && startsWithNoCase(target, "_level") && target.size() > 6 &&
            target.find_first_not_of("0123456789", 6) == std::string::npos && target.size() < 12)
            clip = in.host().level(std::stoi(target.substr(6)));
        else
            clip = in.resolveTarget(f.target, target);
        if (!clip) return;
        if (uint64_t request = in.host().loadText(f.target, url)) in.textListeners[request] = Value(in.clipObject(clip));
        return;
    }
    if (loadTarget) {
        ClipId clip = in.resolveTarget(f.target, target);
        if (!clip) return;
        if (url.empty()) in.host().unloadMovie(clip);
        else in.host().loadMovie(clip, url);
        return;
    }
    if (startsWithNoCase(target, "_level") && target.size() > 6 &&
        target.find_first_not_of("0123456789", 6) == std::string::npos) {
        int n = 0;
        for (char c : std::string_view(target).substr(6)) {
            if (c < '0' || c > '9' || n > 100000) return;
            n = n * 10 + (c - '0');
        }
        if (url.empty()) {
            if (ClipId l = in.host().level(n)) in.host().unloadMovie(l);
        } else {
            in.host().loadMovieNum(n, url);
        }
        return;
    }
    in.host().getUrl(url, target, method);
}

// GotoFrame2's operand, read as text: digits are a frame number (1-based, taken modulo 2^32, so
// frame 0 goes nowhere), anything else a label; "path:frame" names another clip's frame. Numbers
// that are not whole or not positive read as labels that no clip has.
void gotoFrameValue(Interpreter& in, Frame& f, const Value& v, bool play, uint16_t bias) {
    ClipId clip = f.target;
    // An object stands for its text (a frame number, a label or "clip:frame").
    std::string part = v.isString() ? v.string() : in.toString(v);
    if (v.isString() || v.isObject()) {
        size_t colon = part.rfind(':');
        if (colon != std::string::npos) {
            clip = in.resolveTarget(f.target, std::string_view(part).substr(0, colon));
            part = part.substr(colon + 1);
        }
    }
    if (!clip) return;
    if (!allDigits(part)) {
        in.host().gotoLabel(clip, part, play);
        return;
    }
    uint32_t n = frameNumberOf(part) + bias;
    if (n == 0) return;
    in.host().gotoFrame(clip, n - 1, play);
}

// Call: runs the scripts of a frame (named as GotoFrame2 names one) right away, on the clip that
// frame belongs to, without moving any playhead.
void callFrame(Interpreter& in, Frame& f, const Value& v) {
    ClipId clip = f.target;
    std::string part = v.isString() ? v.string() : in.toString(v);
    if (size_t colon = part.rfind(':'); colon != std::string::npos) {
        clip = in.resolveTarget(f.target, std::string_view(part).substr(0, colon));
        part = part.substr(colon + 1);
    }
    if (!clip) return;
    std::optional<uint32_t> frame;
    if (allDigits(part)) {
        if (uint32_t n = frameNumberOf(part)) frame = n - 1;
    } else {
        frame = in.host().labelFrame(clip, part);
    }
    if (!frame) return;
    // Copied first: a script may unload the movie the others come from.
    std::vector<Code> scripts;
    for (std::span<const uint8_t> a : in.host().frameActions(clip, *frame))
        scripts.push_back(std::make_shared<const std::vector<uint8_t>>(a.begin(), a.end()));
    const int version = in.host().movieVersion(clip);
    for (Code& code : scripts) in.runScript(clip, std::move(code), version > 0 ? version : f.version);
}

}  // namespace

bool executeTimelineAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload) {
    Host& host = in.host();
    BitReader r(payload);
    switch (code) {
    case 0x04: if (f.target) host.nextFrame(f.target); return true;
    case 0x05: if (f.target) host.prevFrame(f.target); return true;
    case 0x06: if (f.target) host.setPlaying(f.target, true); return true;
    case 0x07: if (f.target) host.setPlaying(f.target, false); return true;
    case 0x08: return true;  // ToggleQuality: pictures are always drawn at high quality
    case 0x09: host.stopSounds(); return true;
    case 0x81: {  // GotoFrame
        uint16_t frame = r.u16();
        if (f.target) host.gotoFrame(f.target, frame, false);
        return true;
    }
    case 0x8C: {  // GotoLabel
        std::string label = r.string();
        if (f.target) host.gotoLabel(f.target, label, false);
        return true;
    }
    case 0x9F: {  // GotoFrame2
        uint8_t flags = r.u8();
        uint16_t bias = (flags & 2) ? r.u16() : 0;
        gotoFrameValue(in, f, pop(in, f), flags & 1, bias);
        return true;
    }
    case 0x83: {  // GetURL
        std::string url = r.string();
        std::string target = r.string();
        loadUrl(in, f, url, target, 0, false, false);
        return true;
    }
    case 0x9A: {  // GetURL2
        uint8_t flags = r.u8();
        std::string target = in.toString(pop(in, f));
        std::string url = in.toString(pop(in, f));
        // As movies store it: 0x80 loads variables, 0x40 loads into a clip, the low bits say how
        // variables are sent (1 GET, 2 POST).
        loadUrl(in, f, url, target, flags & 3, (flags & 0x40) != 0, (flags & 0x80) != 0);
        return true;
    }
    case 0x8B: {  // SetTarget
        std::string path = r.string();
        if (path.empty()) {
            setTarget(in, f, f.originalTarget, true);
        } else {
            ClipId c = in.resolveTarget(f.originalTarget, path);
            setTarget(in, f, c, c != kNoClip);
        }
        return true;
    }
    case 0x20: {  // SetTarget2
        Value v = pop(in, f);
        if (!v.isObject() && in.toString(v).empty()) {
            setTarget(in, f, f.originalTarget, true);
        } else {
            // A clip is found again by its path: of two clips of one name, the first wins.
            ClipId c = clipOf(in, f, v);
            if (c != kNoClip && v.isObject())
                if (ClipId byPath = in.resolveTarget(f.target, in.targetPath(c, false))) c = byPath;
            setTarget(in, f, c, c != kNoClip);
        }
        return true;
    }
    case 0x8A: {  // WaitForFrame
        uint16_t frame = r.u16();
        uint8_t skip = r.u8();
        if (!frameLoaded(in, f.target, frame)) skipActions(f, skip);
        return true;
    }
    case 0x8D: {  // WaitForFrame2
        uint8_t skip = r.u8();
        // The operand reads as GotoFrame2's does (an object through its toString, whatever that
        // gives back); a label counts as loaded, as the whole movie is.
        Value v = pop(in, f);
        if (v.isObject()) v = in.callMethodOf(v, "toString", {});
        const std::string text = v.isObject() ? std::string() : v.isString() ? v.string() : in.toString(v);
        if (allDigits(text) && !frameLoaded(in, f.target, static_cast<int32_t>(frameNumberOf(text) - 1u)))
            skipActions(f, skip);
        return true;
    }
    case 0x9E:  // Call
        callFrame(in, f, pop(in, f));
        return true;
    case 0x1C: {  // GetVariable
        std::string name = in.toString(pop(in, f));
        push(in, getVariable(in, f, name));
        return true;
    }
    case 0x1D: {  // SetVariable
        Value v = pop(in, f);
        std::string name = in.toString(pop(in, f));
        setVariable(in, f, name, v);
        return true;
    }
    case 0x22: {  // GetProperty
        double index = in.toNumber(pop(in, f));
        Value target = pop(in, f);
        ClipId clip = f.targetLost && !target.isObject() && in.toString(target).empty() ? kNoClip : clipOf(in, f, target);
        int i = std::isnan(index) ? -1 : static_cast<int>(index);
        if (clip && i >= 0 && i < kClipPropertyCount) push(in, getClipProperty(in, clip, i));
        else push(in, Value());
        return true;
    }
    case 0x23: {  // SetProperty
        Value v = pop(in, f);
        double index = in.toNumber(pop(in, f));
        ClipId clip = clipOf(in, f, pop(in, f));
        int i = std::isnan(index) ? -1 : static_cast<int>(index);
        // The value is converted first, even for read-only properties; the read-only texts
        // (_target, _droptarget, _url) take none.
        if (i == 13 || i == 19) v = Value(in.toString(v));
        else if (i >= 0 && i < kClipPropertyCount && i != 11 && i != 14 && i != 15) v = Value(in.toNumber(v));
        if (clip && i >= 0 && i < kClipPropertyCount) setClipProperty(in, clip, i, v);
        return true;
    }
    case 0x24: {  // CloneSprite
        // The action's depth counts from the bottom of the timeline's depths (compilers add 16384).
        int depth = static_cast<int>(std::clamp<int64_t>(int64_t{in.toInt(pop(in, f))} - 16384, INT32_MIN, INT32_MAX));
        std::string name = in.toString(pop(in, f));
        ClipId source = clipOf(in, f, pop(in, f));
        if (source) {
            ClipId c = host.duplicateClip(source, name, depth);
            if (c) in.clipConstructed(c);
        }
        return true;
    }
    case 0x25: {  // RemoveSprite
        ClipId clip = clipOf(in, f, pop(in, f));
        if (clip) host.removeClip(clip);
        return true;
    }
    case 0x27: {  // StartDrag: no pointer moves, only the operands are taken and converted
        clipOf(in, f, pop(in, f));
        in.toNumber(pop(in, f));  // lock center
        // Only a constrain flag of 1 brings the rectangle (bottom, right, top, left).
        if (in.toNumber(pop(in, f)) == 1)
            for (int i = 0; i < 4; ++i) in.toNumber(pop(in, f));
        return true;
    }
    case 0x28: return true;  // EndDrag
    case 0x45: {  // TargetPath
        Value v = pop(in, f);
        Object* o = v.object();
        if (ClipId c = in.liveClip(o)) push(in, Value(in.targetPath(c, false)));
        else push(in, Value());
        return true;
    }
    default: return false;
    }
}

}  // namespace kelmora::player::avm1
