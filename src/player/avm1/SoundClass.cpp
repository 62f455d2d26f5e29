// Sound: the script's handle on the sound of a clip (or of the whole movie when made without a
// target). Volume, pan and the channel transform belong to the clip, so every Sound object on the
// same clip sees the same values; a Sound whose clip is gone answers undefined. Nothing is heard:
// start/stop only keep the state that scripts can read back.
#include <unordered_map>

#include "player/avm1/Builtins.h"

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
};

struct SoundState : NativeState {
    bool hasTarget = false;  // false: the movie's global sound
    Object* clip = nullptr;  // a clip given as the target
    std::string path;        // any other target, resolved at each call
    std::string attached;    // linkage name from attachSound, or the loaded URL
    bool playing = false;
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

// The settings the Sound controls, or null when its clip no longer exists.
SoundSettings* settingsOf(Interpreter& in, const Value& self) {
    SoundState* s = soundOf(self);
    SoundTable* t = table(in);
    if (!s || !t) return nullptr;
    if (!s->hasTarget) return &t->global;
    ClipId c = kNoClip;
    if (s->clip) {
        // The clip is found by the path it had when the Sound was made: renamed, it is not found;
        // gone, whatever clip now has that path stands for it.
        if (!s->path.empty()) c = in.resolveTarget(in.host().level(0), s->path);
        else if (s->clip->kind() == ObjectKind::Clip && in.host().exists(s->clip->clip)) c = s->clip->clip;
    } else {
        c = in.resolveTarget(in.currentTarget() ? in.currentTarget() : in.host().level(0), s->path);
    }
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

Value attachSound(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (SoundState* s = soundOf(self); s && !args.empty()) s->attached = in.toString(args[0]);
    return Value();
}

Value loadSound(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (SoundState* s = soundOf(self); s && !args.empty()) s->attached = in.toString(args[0]);
    return Value();
}

Value start(Interpreter&, const Value& self, std::span<const Value>) {
    if (SoundState* s = soundOf(self); s && !s->attached.empty()) s->playing = true;
    return Value();
}

Value stop(Interpreter&, const Value& self, std::span<const Value>) {
    if (SoundState* s = soundOf(self)) s->playing = false;
    return Value();
}

// Duration and position are known only for an attached or loaded sound; no sound is decoded here.
Value getDuration(Interpreter& in, const Value& self, std::span<const Value>) {
    SoundState* s = soundOf(self);
    if (!s || s->attached.empty() || !settingsOf(in, self)) return Value();
    return Value(0.0);
}

Value bytes(Interpreter&, const Value& self, std::span<const Value>) {
    SoundState* s = soundOf(self);
    if (!s || s->attached.empty()) return Value();
    return Value(0.0);
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

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
    in.method(proto, "getPosition", getDuration);
    in.method(proto, "getBytesLoaded", bytes);
    in.method(proto, "getBytesTotal", bytes);
    in.method(proto, "setDuration", noop);
    in.method(proto, "setPosition", noop);
    for (const char* name : {"duration", "position"}) {
        Property& p = proto->setOwn(name, Value(), kDontEnum);
        p.getter = in.newFunction(getDuration);
    }
    // What came with SWF 6 is not there for older movies.
    for (const char* name : {"loadSound", "getDuration", "setDuration", "getPosition", "setPosition", "getBytesLoaded",
                             "getBytesTotal", "duration", "position"})
        if (Property* p = proto->findOwn(name)) p->flags = kDontEnum | kOnlySwf6Up;
}

}  // namespace kelmora::player::avm1
