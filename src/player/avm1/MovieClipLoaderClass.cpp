// MovieClipLoader: a broadcaster that is its own first listener, and loadClip/unloadClip over the
// player's loadMovie. The target is a clip, a level number or a clip path; anything else is
// refused with false.
#include <cmath>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

Value mclCtor(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    if (!o) return Value();
    Value broadcaster = in.getMember(Value(in.global()), "AsBroadcaster");
    Value args[] = {self};
    in.callMethodOf(broadcaster, "initialize", args);
    in.callMethodOf(self, "addListener", args);
    return Value();
}

// The clip or level a loadClip/unloadClip target names: kNoClip with level -1 when refused.
struct LoadTarget {
    ClipId clip = kNoClip;
    int level = -1;
};

LoadTarget targetOf(Interpreter& in, const Value& t) {
    LoadTarget r;
    if (t.isNumber()) {
        double n = t.number();
        if (std::isnan(n) || n < 0 || n > 100000) return r;
        r.level = static_cast<int>(n);
        r.clip = in.host().level(r.level);
        return r;
    }
    if (Object* o = t.object()) {
        // A clip replaced by a load is found again by its path.
        if (o->kind() == ObjectKind::Clip) r.clip = in.liveClip(o);
        return r;
    }
    if (t.isString()) r.clip = in.resolveTarget(in.currentTarget() ? in.currentTarget() : in.host().level(0), t.string());
    return r;
}

Value loadClip(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.size() < 2) return Value();
    if (!args[0].isString()) return Value(false);
    const std::string url = in.toString(args[0]);
    LoadTarget t = targetOf(in, args[1]);
    uint64_t request = 0;
    if (t.level >= 0 && t.clip == kNoClip) {
        request = in.host().loadClip(kNoClip, t.level, url);
    } else {
        if (t.clip == kNoClip) return Value(false);
        request = in.host().loadClip(t.clip, -1, url);
    }
    if (request) in.loadListeners[request] = self;
    return Value(true);
}

Value unloadClip(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.empty()) return Value();
    LoadTarget t = targetOf(in, args[0]);
    if (t.clip == kNoClip) return Value(false);
    in.host().unloadMovie(t.clip);
    return Value(true);
}

// A level number or a path always gets an answer, empty when nothing is there; other values
// get one only when they are clips. Loaders count the bytes of the file as read.
Value getProgress(Interpreter& in, const Value&, std::span<const Value> args) {
    const Value& target = arg(args, 0);
    Object* named = target.object();
    const bool clipValue = named && named->kind() == ObjectKind::Clip;
    if (!target.isNumber() && !target.isString() && !clipValue) return Value();
    LoadTarget t = targetOf(in, target);
    if (t.clip == kNoClip && !target.isNumber() && !target.isString()) return Value();
    Object* o = in.newObject();
    Value loaded, total;
    if (t.clip != kNoClip) loaded = total = Value(static_cast<double>(in.host().movieFileBytes(t.clip)));
    o->setOwn("bytesLoaded", loaded);
    o->setOwn("bytesTotal", total);
    return Value(o);
}

}  // namespace

void installMovieClipLoaderClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.classPrototypes["MovieClipLoader"] = proto;
    in.makeClass(in.global(), "MovieClipLoader", mclCtor, proto);
    Object* broadcaster = in.getMember(Value(in.global()), "AsBroadcaster").object();
    for (const char* m : {"addListener", "removeListener", "broadcastMessage"})
        proto->define(m, in.getMember(broadcaster, m), kDontEnum);
    in.method(proto, "loadClip", loadClip);
    in.method(proto, "unloadClip", unloadClip);
    in.method(proto, "getProgress", getProgress);
}

}  // namespace kelmora::player::avm1
