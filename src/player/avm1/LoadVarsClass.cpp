// LoadVars: variables as URL-encoded text, loaded from a local file beside the movie with the
// next frame (Host::loadText). Nothing is ever sent: send answers false and sendAndLoad only loads.
#include "player/avm1/Builtins.h"
#include "player/avm1/LoadedText.h"

namespace kelmora::player::avm1 {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string urlDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i] == '+' ? ' ' : s[i]);
        }
    }
    return out;
}

// Starts loading `url` into `into`; false when there is nothing to load.
bool startLoad(Interpreter& in, Object* into, const Value& url) {
    if (!into || url.isUndefined()) return false;
    const std::string path = in.toString(url);
    into->setOwn("loaded", Value(false), kDontEnum);
    requestLoadedText(in, into, path);
    return true;
}

Value load(Interpreter& in, const Value& self, std::span<const Value> args) {
    return Value(startLoad(in, self.object(), arg(args, 0)));
}

Value sendAndLoad(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(startLoad(in, arg(args, 1).object(), arg(args, 0)));
}

Value send(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }

// MovieClip.loadVariables(url, method): the clip gets the variables, as loadVariables() does.
Value clipLoadVariables(Interpreter& in, const Value& self, std::span<const Value> args) {
    const ClipId clip = in.liveClip(self.object());
    if (!clip || args.empty()) return Value();
    if (uint64_t request = in.host().loadText(clip, in.toString(args[0]))) in.textListeners[request] = Value(in.clipObject(clip));
    return Value();
}

Value decode(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (Object* o = self.object(); o && !args.empty()) decodeVariables(in, o, in.toString(args[0]));
    return Value();
}

Value toString(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    if (!o) return Value();
    std::string out;
    for (const std::string& name : in.enumerate(o)) {
        std::string value = in.toString(in.getMember(o, name));
        if (in.unwinding()) return Value();
        if (!out.empty()) out.push_back('&');
        urlEncode(name, out);
        out.push_back('=');
        urlEncode(value, out);
        if (!in.chargeText(name.size() + value.size())) return Value();
    }
    return Value(out);
}

// The default onData: the text goes through the object's decode (which a script may replace),
// then onLoad tells whether it arrived.
Value onData(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    const Value src = arg(args, 0);
    if (src.isUndefined()) {
        Value no[] = {Value(false)};
        in.callMethodOf(self, "onLoad", no);
        return Value();
    }
    Value text[] = {src};
    in.callMethodOf(self, "decode", text);
    if (in.unwinding()) return Value();
    o->setOwn("loaded", Value(true), kDontEnum);
    Value yes[] = {Value(true)};
    in.callMethodOf(self, "onLoad", yes);
    return Value();
}

Value bytesLoaded(Interpreter& in, const Value& self, std::span<const Value>) {
    return in.getMember(self, "_bytesLoaded");
}

Value bytesTotal(Interpreter& in, const Value& self, std::span<const Value>) {
    return in.getMember(self, "_bytesTotal");
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows-1252 at 0x80..0x9F; the rest of the code page is Latin-1.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

std::string fromCodePage(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    return out;
}

// UTF-8 read the way the player reads it: a lead byte takes its continuation bytes whatever they
// are, a stray continuation byte stands for itself, a sequence cut off by the end is dropped.
std::string fromLenientUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC0 && c < 0xE0 ? 1 : 0;
        if (extra == 0) {
            appendUtf8(out, c);
            ++i;
            continue;
        }
        if (i + extra >= bytes.size()) break;
        const int lead = extra == 3 ? 0xF0 : extra == 2 ? 0xE0 : 0xC0;
        int64_t cp = c - lead;
        for (size_t k = 1; k <= extra; ++k) cp = cp * 64 + (static_cast<unsigned char>(bytes[i + k]) - 0x80);
        if (cp > 0 && cp <= 0x10FFFF) appendUtf8(out, static_cast<uint32_t>(cp));
        i += extra + 1;
    }
    return out;
}

}  // namespace

std::string decodeLoadedText(Interpreter& in, std::string_view bytes) {
    Object* system = in.getMember(in.global(), "System").object();
    const bool codePage = in.swfVersion() < 6 || (system && in.toBoolean(in.getMember(system, "useCodepage")));
    if (codePage) return fromCodePage(bytes);
    return fromLenientUtf8(bytes);
}

void urlEncode(std::string_view s, std::string& out) {
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : s) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
}

void decodeVariables(Interpreter& in, Object* into, std::string_view text) {
    size_t start = 0;
    while (start <= text.size() && !in.unwinding()) {
        size_t end = text.find('&', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view pair = text.substr(start, end - start);
        if (!pair.empty()) {
            const size_t eq = pair.find('=');
            std::string name = urlDecode(pair.substr(0, eq));
            std::string value = eq == std::string_view::npos ? std::string() : urlDecode(pair.substr(eq + 1));
            if (!name.empty()) in.setMember(into, name, Value(std::move(value)));
        }
        start = end + 1;
    }
}

void installLoadVarsClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.classPrototypes["LoadVars"] = proto;
    in.makeClass(in.global(), "LoadVars", noop, proto);
    in.method(proto, "load", load);
    in.method(proto, "sendAndLoad", sendAndLoad);
    in.method(proto, "send", send);
    in.method(proto, "decode", decode);
    in.method(proto, "toString", toString);
    in.method(proto, "onData", onData);
    in.method(proto, "onLoad", noop);
    in.method(proto, "getBytesLoaded", bytesLoaded);
    in.method(proto, "getBytesTotal", bytesTotal);
    in.method(proto, "addRequestHeader", noop);
    proto->setOwn("contentType", Value("application/x-www-form-urlencoded"), kDontEnum);
    if (in.movieClipPrototype) in.method(in.movieClipPrototype, "loadVariables", clipLoadVariables);
}

void requestLoadedText(Interpreter& in, Object* into, std::string_view url) {
    into->setOwn("_bytesLoaded", Value(0.0), kDontEnum);
    into->setOwn("_bytesTotal", Value(), kDontEnum);
    if (uint64_t request = in.host().loadText(in.currentTarget(), url)) in.textListeners[request] = Value(into);
}

ClipId Interpreter::textLoaded(uint64_t request, bool ok, std::string_view text) {
    auto it = textListeners.find(request);
    if (it == textListeners.end()) return kNoClip;
    const Value target = it->second;
    textListeners.erase(it);
    Object* o = target.object();
    if (!o) return kNoClip;
    if (o->kind() == ObjectKind::Clip) {
        if (!ok || !host_.exists(o->clip)) return kNoClip;
        beginEntry();
        if (!aborted_) decodeVariables(*this, o, decodeLoadedText(*this, text));
        endEntry();
        return o->clip;
    }
    beginEntry();
    if (!aborted_ && soundFileArrived(*this, o, ok, text)) {
        endEntry();
        return kNoClip;
    }
    if (!aborted_) {
        o->setOwn("_bytesLoaded", Value(ok ? static_cast<double>(text.size()) : 0.0), kDontEnum);
        o->setOwn("_bytesTotal", ok ? Value(static_cast<double>(text.size())) : Value(), kDontEnum);
        Value src[] = {ok ? Value(decodeLoadedText(*this, text)) : Value()};
        callMethodOf(target, "onData", src);
    }
    endEntry();
    return kNoClip;
}

}  // namespace kelmora::player::avm1
