// Sound: the script's handle on the sound of a clip (or of the whole movie when made without a
// target). Volume, pan and the channel transform belong to the clip, so every Sound object on the
// same clip sees the same values; a Sound whose clip is gone answers undefined. A sound attached
// from the library plays in the movie's sound track; a loaded MP3 file is only timed (its length
// read from its frames, its ID3 tag given to onID3), not heard. Position runs on the frame clock
// and onSoundComplete comes when the last loop ends.
#include <cmath>
#include <unordered_map>

#include "player/avm1/Builtins.h"
#include "player/avm1/LoadedText.h"
#include "player/media/Id3Tags.h"
#include "player/media/Mp3Frames.h"

namespace kelmora::player::avm1 {

namespace {

struct SoundSettings {
    double volume = 100;
    double ll = 100, lr = 0, rr = 100, rl = 0;
    // The pan is what the channel transform does to the louder side.
    double pan() const { return ll < 100 ? 100 - ll : rr - 100; }
    void setPan(double p) {
        ll = p > 0 ? 100 - p : 100;
        rr = p < 0 ? 100 + p : 100;
        lr = rl = 0;
    }
};

// Kept on the Sound constructor: the settings of each clip that a script changed.
struct SoundTable : NativeState {
    std::unordered_map<ClipId, SoundSettings> byClip;
    SoundSettings global;
    int nextCompletion = -1;  // ids of the completion timers: negative, apart from the scripts' own
};

struct SoundState : NativeState {
    bool hasTarget = false;  // false: the movie's global sound
    Object* clip = nullptr;  // a clip given as the target
    std::string path;        // any other target, resolved at each call
    std::string attached;    // linkage name from attachSound
    bool loaded = false;     // a file from loadSound is there (or on its way)
    bool streaming = false;  // loadSound's second argument: plays as soon as it is there
    double duration = -1;    // milliseconds; below 0: no sound yet
    double bytes = -1;       // of the loaded file; below 0: none
    // Playback on the frame clock: where it started, from which offset, how many times.
    bool playing = false;
    double startedAt = 0, offset = 0, stoppedAt = 0;
    int loops = 1;
    int serial = 0;  // a start or stop makes older completion timers void
    void mark(const std::function<void(Object*)>& mark) const override { mark(clip); }
};

SoundState* soundOf(const Value& self) {
    Object* o = self.object();
    return o ? dynamic_cast<SoundState*>(o->state.get()) : nullptr;
}

SoundTable* table(Interpreter& in) {
    auto it = in.classPrototypes.find("Sound");
    if (it == in.classPrototypes.end()) return nullptr;
    return dynamic_cast<SoundTable*>(it->second->state.get());
}

// The clip a Sound stands for (level 0 for the movie's global sound); kNoClip when it is gone.
ClipId clipOfSound(Interpreter& in, const SoundState& s) {
    if (!s.hasTarget) return in.host().level(0);
    if (s.clip) {
        // The clip is found by the path it had when the Sound was made: renamed, it is not found;
        // gone, whatever clip now has that path stands for it.
        if (!s.path.empty()) return in.resolveTarget(in.host().level(0), s.path);
        if (s.clip->kind() == ObjectKind::Clip && in.host().exists(s.clip->clip)) return s.clip->clip;
        return kNoClip;
    }
    return in.resolveTarget(in.currentTarget() ? in.currentTarget() : in.host().level(0), s.path);
}

// The settings the Sound controls, or null when its clip no longer exists.
SoundSettings* settingsOf(Interpreter& in, const Value& self) {
    SoundState* s = soundOf(self);
    SoundTable* t = table(in);
    if (!s || !t) return nullptr;
    if (!s->hasTarget) return &t->global;
    ClipId c = clipOfSound(in, *s);
    if (c == kNoClip) return nullptr;
    return &t->byClip[c];
}

Value soundCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    auto s = std::make_unique<SoundState>();
    Value target = arg(args, 0);
    if (!target.isUndefined()) {
        s->hasTarget = true;
        if (Object* t = target.object(); t && t->kind() == ObjectKind::Clip) {
            s->clip = t;
            if (in.host().exists(t->clip)) s->path = in.targetPath(t->clip, false);
        } else {
            s->path = in.toString(target);
        }
    }
    o->state = std::move(s);
    // Each Sound says whether it will ask for a policy file: never, with no network.
    if (in.swfVersion() >= 6) o->define("checkPolicyFile", Value(false), kDontEnum);
    return Value();
}

Value getVolume(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundSettings* s = settingsOf(in, self);
    return s ? Value(s->volume) : Value();
}

Value setVolume(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (SoundSettings* s = settingsOf(in, self)) s->volume = static_cast<double>(in.toInt(arg(args, 0)));
    return Value();
}

Value getPan(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundSettings* s = settingsOf(in, self);
    return s ? Value(s->pan()) : Value();
}

Value setPan(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (SoundSettings* s = settingsOf(in, self)) s->setPan(static_cast<double>(in.toInt(arg(args, 0))));
    return Value();
}

Value getTransform(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundSettings* s = settingsOf(in, self);
    if (!s) return Value();
    Object* o = in.newObject();
    o->setOwn("ll", Value(s->ll));
    o->setOwn("lr", Value(s->lr));
    o->setOwn("rr", Value(s->rr));
    o->setOwn("rl", Value(s->rl));
    return Value(o);
}

Value setTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    SoundSettings* s = settingsOf(in, self);
    Object* t = arg(args, 0).object();
    if (!s || !t) return Value();
    auto field = [&](const char* name, double& out) {
        if (in.hasProperty(t, name)) out = static_cast<double>(in.toInt(in.getMember(t, name)));
    };
    field("ll", s->ll);
    field("lr", s->lr);
    field("rr", s->rr);
    field("rl", s->rl);
    return Value();
}

// Milliseconds into the current loop; the whole length once the last loop ended.
double positionOf(const SoundState& s, double now) {
    if (!s.playing || s.duration <= 0) return s.stoppedAt;
    const double played = s.offset + (now - s.startedAt);
    if (played >= s.duration * s.loops) return s.duration;
    return std::fmod(played, s.duration);
}

Value soundCompleted(Interpreter& in, const Value&, std::span<const Value> args);

// Plays from `offset` milliseconds, `loops` times, with a timer for the moment the last loop ends.
void play(Interpreter& in, Object* o, SoundState& s, double offset, int loops) {
    s.playing = true;
    s.startedAt = in.host().timeMs();
    s.offset = std::clamp(offset, 0.0, std::max(0.0, s.duration));
    s.loops = std::max(1, loops);
    ++s.serial;
    SoundTable* t = table(in);
    if (!t) return;
    Interpreter::Timer timer;
    timer.id = t->nextCompletion--;
    if (t->nextCompletion < -1000000000) t->nextCompletion = -1;
    timer.due = s.startedAt + std::max(0.0, s.duration * s.loops - s.offset);
    timer.interval = 0;
    timer.repeat = false;
    timer.fn = Value(in.newFunction(soundCompleted));
    timer.args = {Value(o), Value(static_cast<double>(s.serial))};
    in.timers.push_back(std::move(timer));
}

void stopPlaying(Interpreter& in, SoundState& s) {
    if (s.playing) s.stoppedAt = positionOf(s, in.host().timeMs());
    s.playing = false;
    ++s.serial;
}

Value soundCompleted(Interpreter& in, const Value&, std::span<const Value> args) {
    Value sound = arg(args, 0);
    SoundState* s = soundOf(sound);
    if (!s || !s->playing || in.toNumber(arg(args, 1)) != s->serial) return Value();
    s->playing = false;
    s->stoppedAt = s->duration;
    in.callMethodOf(sound, "onSoundComplete", {});
    return Value();
}

Value durationGetter(Interpreter& in, const Value& self, std::span<const Value>);
Value positionGetter(Interpreter& in, const Value& self, std::span<const Value>);

// duration and position appear on the prototype once a sound was first attached or loaded; a
// value a script set on a Sound before that stays its own.
void addPlaybackProperties(Interpreter& in) {
    auto it = in.classPrototypes.find("Sound");
    if (it == in.classPrototypes.end()) return;
    Object* proto = it->second;
    const std::pair<const char*, NativeFunction> getters[] = {{"duration", durationGetter}, {"position", positionGetter}};
    for (const auto& [name, getter] : getters) {
        if (proto->findOwn(name)) continue;
        Property& p = proto->setOwn(name, Value(), kDontEnum | kOnlySwf6Up);
        p.getter = in.newFunction(getter);
    }
}

Value attachSound(Interpreter& in, const Value& self, std::span<const Value> args) {
    SoundState* s = soundOf(self);
    if (!s || args.empty()) return Value();
    const std::string name = in.toString(args[0]);
    const ClipId c = clipOfSound(in, *s);
    const double length = c != kNoClip ? in.host().soundLength(c, name) : -1;
    if (length < 0) return Value();
    addPlaybackProperties(in);
    stopPlaying(in, *s);
    s->attached = name;
    s->loaded = false;
    s->duration = length;
    s->stoppedAt = 0;
    return Value();
}

Value loadSound(Interpreter& in, const Value& self, std::span<const Value> args) {
    SoundState* s = soundOf(self);
    Object* o = self.object();
    if (!s || !o || args.empty()) return Value();
    addPlaybackProperties(in);
    stopPlaying(in, *s);
    s->attached.clear();
    s->loaded = true;
    s->streaming = in.toBoolean(arg(args, 1));
    s->duration = 0;
    s->bytes = 0;
    s->stoppedAt = 0;
    if (uint64_t request = in.host().loadText(in.currentTarget(), in.toString(args[0]))) in.textListeners[request] = Value(o);
    return Value();
}

Value start(Interpreter& in, const Value& self, std::span<const Value> args) {
    SoundState* s = soundOf(self);
    if (!s || (s->attached.empty() && !s->loaded)) return Value();
    const double offsetSeconds = args.empty() ? 0 : in.toNumber(args[0]);
    const int loops = args.size() < 2 ? 1 : in.toInt(args[1]);
    const double offset = std::isfinite(offsetSeconds) ? offsetSeconds * 1000 : 0;
    if (!s->attached.empty()) {
        const ClipId c = clipOfSound(in, *s);
        if (c == kNoClip) return Value();
        in.host().startSound(c, s->attached, offset / 1000, std::max(1, loops));
    }
    play(in, self.object(), *s, offset, loops);
    return Value();
}

Value stop(Interpreter& in, const Value& self, std::span<const Value> args) {
    SoundState* s = soundOf(self);
    if (!s) return Value();
    // stop("name") stops that library sound wherever it plays; stop() this Sound's own.
    if (!args.empty()) {
        const std::string name = in.toString(args[0]);
        if (const ClipId c = clipOfSound(in, *s)) in.host().stopSound(c, name);
        if (name == s->attached) stopPlaying(in, *s);
        return Value();
    }
    if (!s->attached.empty())
        if (const ClipId c = clipOfSound(in, *s)) in.host().stopSound(c, s->attached);
    stopPlaying(in, *s);
    return Value();
}

// Duration and position are known only for an attached or loaded sound whose clip is there.
Value getDuration(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundState* s = soundOf(self);
    if (!s || s->duration < 0 || !settingsOf(in, self)) return Value();
    return Value(std::round(s->duration));
}

Value getPosition(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundState* s = soundOf(self);
    if (!s || s->duration < 0 || !settingsOf(in, self)) return Value();
    return Value(std::round(positionOf(*s, in.host().timeMs())));
}

Value durationGetter(Interpreter& in, const Value& self, std::span<const Value> args) { return getDuration(in, self, args); }
Value positionGetter(Interpreter& in, const Value& self, std::span<const Value> args) { return getPosition(in, self, args); }

Value bytes(Interpreter&, const Value& self, std::span<const Value>) {
    SoundState* s = soundOf(self);
    if (!s || s->bytes < 0) return Value();
    return Value(s->bytes);
}

// The ID3 frames as the player names them: each frame by its id, the common ones also by a word;
// comments gather in an array under COMM, the last one is "comment".
Object* id3Object(Interpreter& in, const Id3Tag& tag) {
    static const std::pair<const char*, const char*> aliases[] = {
        {"TPE1", "artist"}, {"TALB", "album"}, {"TIT2", "songname"}, {"TRCK", "track"},
        {"TYER", "year"},   {"TCON", "genre"}, {"COMM", "comment"},
    };
    Object* id3 = in.newObject();
    id3->setProto(nullptr);
    Object* comments = nullptr;
    for (const Id3Frame& f : tag.frames) {
        const char* alias = nullptr;
        for (const auto& [id, word] : aliases)
            if (f.id == id) alias = word;
        if (alias) id3->setOwn(alias, Value(f.text));
        if (f.id == "COMM") {
            if (!comments) {
                comments = in.newArray();
                id3->setOwn("COMM", Value(comments));
            }
            Value item[] = {Value(f.text)};
            in.callMethodOf(Value(comments), "push", item);
        } else {
            id3->setOwn(f.id, Value(f.text));
        }
    }
    return id3;
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

bool isSoundObject(const Object* o) { return o && dynamic_cast<const SoundState*>(o->state.get()); }

bool soundFileArrived(Interpreter& in, Object* o, bool ok, std::string_view bytes) {
    SoundState* s = o ? dynamic_cast<SoundState*>(o->state.get()) : nullptr;
    if (!s) return false;
    const Value self(o);
    if (!s->loaded || !ok) {
        if (s->loaded) s->duration = s->bytes = -1;
        Value no[] = {Value(false)};
        in.callMethodOf(self, "onLoad", no);
        return true;
    }
    auto data = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    s->bytes = static_cast<double>(bytes.size());
    // The tag is told first, while the length is not known yet; id3 is the player's own,
    // unless the script set one before.
    if (auto tag = readId3Tag(data)) {
        data = data.subspan(std::min(tag->size, data.size()));
        if (!o->findOwn("id3")) o->define("id3", Value(id3Object(in, *tag)), kDontEnum | kReadOnly);
        Value yes[] = {Value(true)};
        in.callMethodOf(self, "onID3", yes);
        if (in.unwinding()) return true;
    }
    uint64_t samples = 0;
    int rate = 0;
    forEachMp3Frame(data, [&](std::span<const uint8_t> frame) {
        auto header = readMp3FrameHeader(frame);
        if (!header) return;
        if (!rate) rate = header->sampleRate;
        samples += static_cast<uint64_t>(header->samples);
    });
    s->duration = rate > 0 ? static_cast<double>(samples) * 1000.0 / rate : 0;
    if (s->streaming) play(in, o, *s, 0, 1);
    Value yes[] = {Value(rate > 0)};
    in.callMethodOf(self, "onLoad", yes);
    return true;
}

void installSoundClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.classPrototypes["Sound"] = proto;
    proto->state = std::make_unique<SoundTable>();
    in.makeClass(in.global(), "Sound", soundCtor, proto);
    in.method(proto, "getVolume", getVolume);
    in.method(proto, "setVolume", setVolume);
    in.method(proto, "getPan", getPan);
    in.method(proto, "setPan", setPan);
    in.method(proto, "getTransform", getTransform);
    in.method(proto, "setTransform", setTransform);
    in.method(proto, "attachSound", attachSound);
    in.method(proto, "loadSound", loadSound);
    in.method(proto, "start", start);
    in.method(proto, "stop", stop);
    in.method(proto, "getDuration", getDuration);
    in.method(proto, "getPosition", getPosition);
    in.method(proto, "getBytesLoaded", bytes);
    in.method(proto, "getBytesTotal", bytes);
    in.method(proto, "setDuration", noop);
    in.method(proto, "setPosition", noop);
    // What came with SWF 6 is not there for older movies.
    for (const char* name : {"loadSound", "getDuration", "setDuration", "getPosition", "setPosition", "getBytesLoaded",
                             "getBytesTotal"})
        if (Property* p = proto->findOwn(name)) p->flags = kDontEnum | kOnlySwf6Up;
}

}  // namespace kelmora::player::avm1
