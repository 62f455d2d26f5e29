// NetStream over a local NetConnection: play() reads an FLV file beside the movie and tells its
// story on the frame clock (start, buffer full, metadata, and at its end flush, stop, empty);
// seek and pause move that clock. Pictures are not decoded here.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

struct NetStreamState : NativeState {
    Value connection;
    bool playing = false, paused = false;
    double durationMs = 0;
    double startMs = 0;   // the frame clock's time at stream time 0
    double pausedAt = 0;  // stream time when paused
    double bytes = 0;
    void mark(const std::function<void(Object*)>& mark) const override {
        if (Object* o = connection.object()) mark(o);
    }
};

NetStreamState* stateOf(const Value& v) {
    Object* o = v.object();
    if (!o) return nullptr;
    if (!o->state) o->state = std::make_unique<NetStreamState>();
    return dynamic_cast<NetStreamState*>(o->state.get());
}

// ---- FLV: the duration (the last tag's time) and the onMetaData values.

struct Reader {
    std::span<const uint8_t> d;
    size_t at = 0;
    bool ok = true;
    bool need(size_t n) {
        ok = ok && n <= d.size() - std::min(at, d.size());
        return ok;
    }
    uint32_t u(int bytes) {
        if (!need(static_cast<size_t>(bytes))) return 0;
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | d[at++];
        return v;
    }
    double number() {
        if (!need(8)) return 0;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = bits << 8 | d[at++];
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    std::string text(size_t n) {
        if (!need(n)) return {};
        std::string s(reinterpret_cast<const char*>(d.data() + at), n);
        at += n;
        return s;
    }
};

constexpr int kMaxAmfDepth = 32;
constexpr uint32_t kMaxAmfItems = 10000;

Value readAmf(Interpreter& in, Reader& r, int depth);

void readProperties(Interpreter& in, Reader& r, Object* into, int depth) {
    for (uint32_t n = 0; n < kMaxAmfItems && r.ok; ++n) {
        std::string name = r.text(r.u(2));
        if (name.empty() && r.ok && r.at < r.d.size() && r.d[r.at] == 9) {
            ++r.at;
            return;
        }
        Value v = readAmf(in, r, depth + 1);
        if (r.ok) into->setOwn(name, v);
    }
    r.ok = false;
}

Value readAmf(Interpreter& in, Reader& r, int depth) {
    if (depth > kMaxAmfDepth) {
        r.ok = false;
        return Value();
    }
    switch (r.u(1)) {
    case 0: return Value(r.number());
    case 1: return Value(r.u(1) != 0);
    case 2: return Value(r.text(r.u(2)));
    case 12: return Value(r.text(r.u(4)));
    case 5: return Value::null();
    case 3: {
        Object* o = in.newObject();
        readProperties(in, r, o, depth);
        return Value(o);
    }
    case 8: {
        r.u(4);  // a count the properties end by themselves
        Object* a = in.newArray();
        readProperties(in, r, a, depth);
        return Value(a);
    }
    case 10: {
        const uint32_t n = r.u(4);
        Object* a = in.newArray();
        for (uint32_t i = 0; i < n && i < kMaxAmfItems && r.ok; ++i)
            in.setMember(a, std::to_string(i), readAmf(in, r, depth + 1));
        if (n > kMaxAmfItems) r.ok = false;
        return Value(a);
    }
    case 11: {
        Value time[] = {Value(r.number())};
        r.u(2);
        return in.construct(in.getMember(Value(in.global()), "Date"), time);
    }
    default: r.ok = false; return Value();
    }
}

struct FlvStory {
    double durationMs = 0;
    Value metaData;
};

bool readFlv(Interpreter& in, std::span<const uint8_t> bytes, FlvStory& story) {
    if (bytes.size() < 13 || std::memcmp(bytes.data(), "FLV", 3) != 0) return false;
    Reader r{bytes};
    r.at = 5;
    r.at = r.u(4) + 4;  // past the header and the first previous-tag size
    constexpr int kMaxTags = 1'000'000;
    for (int n = 0; n < kMaxTags && r.ok && r.at + 11 <= bytes.size(); ++n) {
        const uint32_t type = r.u(1), size = r.u(3);
        uint32_t time = r.u(3);
        time |= r.u(1) << 24;
        r.u(3);
        if (!r.need(size)) break;
        story.durationMs = std::max(story.durationMs, static_cast<double>(time));
        if (type == 18 && story.metaData.isUndefined()) {
            Reader script{bytes.subspan(r.at, size)};
            if (readAmf(in, script, 0).isString() && script.ok) {
                Value v = readAmf(in, script, 0);
                if (script.ok) story.metaData = v;
            }
        }
        r.at += size + 4;
    }
    return true;
}

// ---- the stream's events

void tellLater(Interpreter& in, const Value& self, const char* code, double dueMs) {
    in.outsideEvents.push_back({self, "onStatus", {statusInfo(in, "status", code)}, false, dueMs});
}

// The end of the stream is told when the frame clock gets there; seeking or pausing moves it.
void scheduleEnd(Interpreter& in, const Value& self, NetStreamState& s, double streamMs) {
    std::erase_if(in.outsideEvents, [&](const Interpreter::OutsideEvent& e) {
        return e.dueMs > 0 && !e.broadcast && e.target.object() == self.object();
    });
    if (!s.playing || s.paused) return;
    const double end = std::max(in.host().timeMs() + std::max(s.durationMs - streamMs, 0.0), 1e-9);
    for (const char* code : {"NetStream.Buffer.Flush", "NetStream.Play.Stop", "NetStream.Buffer.Empty"})
        tellLater(in, self, code, end);
}

double streamTime(Interpreter& in, const NetStreamState& s) {
    if (!s.playing) return 0;
    if (s.paused) return s.pausedAt;
    return std::clamp(in.host().timeMs() - s.startMs, 0.0, s.durationMs);
}

Value ctor(Interpreter&, const Value& self, std::span<const Value> args) {
    if (NetStreamState* s = stateOf(self)) s->connection = arg(args, 0);
    return Value();
}

Value play(Interpreter& in, const Value& self, std::span<const Value> args) {
    NetStreamState* s = stateOf(self);
    if (!s || args.empty() || !localNetConnection(s->connection)) return Value();
    const std::string url = in.toString(args[0]);
    std::vector<uint8_t> bytes;
    FlvStory story;
    if (!in.host().readMediaFile(in.currentTarget(), url, bytes) || !readFlv(in, bytes, story)) {
        in.outsideEvents.push_back(
            {self, "onStatus", {statusInfo(in, "error", "NetStream.Play.StreamNotFound")}, false, 0});
        return Value();
    }
    s->playing = true;
    s->paused = false;
    s->durationMs = story.durationMs;
    s->bytes = static_cast<double>(bytes.size());
    s->startMs = in.host().timeMs();
    tellLater(in, self, "NetStream.Play.Start", 0);
    tellLater(in, self, "NetStream.Buffer.Full", 0);
    if (!story.metaData.isUndefined()) in.outsideEvents.push_back({self, "onMetaData", {story.metaData}, false, 0});
    scheduleEnd(in, self, *s, 0);
    return Value();
}

Value seek(Interpreter& in, const Value& self, std::span<const Value> args) {
    NetStreamState* s = stateOf(self);
    if (!s || !s->playing) return Value();
    double to = in.toNumber(arg(args, 0)) * 1000;
    if (!std::isfinite(to)) to = 0;
    to = std::clamp(to, 0.0, s->durationMs);
    s->startMs = in.host().timeMs() - to;
    if (s->paused) s->pausedAt = to;
    tellLater(in, self, "NetStream.Seek.Notify", 0);
    scheduleEnd(in, self, *s, to);
    return Value();
}

// pause() toggles, pause(true/false) sets.
Value pause(Interpreter& in, const Value& self, std::span<const Value> args) {
    NetStreamState* s = stateOf(self);
    if (!s || !s->playing) return Value();
    const bool want = args.empty() || args[0].isUndefined() ? !s->paused : in.toBoolean(args[0]);
    if (want == s->paused) return Value();
    if (want) {
        s->pausedAt = streamTime(in, *s);
        s->paused = true;
    } else {
        s->paused = false;
        s->startMs = in.host().timeMs() - s->pausedAt;
    }
    scheduleEnd(in, self, *s, s->pausedAt);
    return Value();
}

Value close(Interpreter& in, const Value& self, std::span<const Value>) {
    if (NetStreamState* s = stateOf(self)) {
        s->playing = false;
        scheduleEnd(in, self, *s, 0);
    }
    return Value();
}

Value time(Interpreter& in, const Value& self, std::span<const Value>) {
    NetStreamState* s = stateOf(self);
    return Value(s ? streamTime(in, *s) / 1000 : 0.0);
}

Value bytesLoaded(Interpreter&, const Value& self, std::span<const Value>) {
    NetStreamState* s = stateOf(self);
    return Value(s ? s->bytes : 0.0);
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installNetStreamClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "NetStream", ctor, proto);
    in.method(proto, "play", play);
    in.method(proto, "seek", seek);
    in.method(proto, "pause", pause);
    in.method(proto, "close", close);
    for (const char* name : {"setBufferTime", "attachAudio", "attachVideo", "send", "receiveAudio", "receiveVideo"})
        in.method(proto, name, noop);
    proto->setOwn("time", Value(), kDontEnum).getter = in.newFunction(time);
    proto->setOwn("bytesLoaded", Value(), kDontEnum).getter = in.newFunction(bytesLoaded);
    proto->setOwn("bytesTotal", Value(), kDontEnum).getter = in.newFunction(bytesLoaded);
}

}  // namespace kelmora::player::avm1
