// TextSnapshot (SWF 6): the static text of a clip, read by scripts; MovieClip.getTextSnapshot.
#include <algorithm>
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/TextClasses.h"

namespace kelmora::player::avm1 {

namespace {

struct SnapshotState : NativeState {
    ClipId clip = kNoClip;
    std::vector<std::u32string> lines;  // as last read: a removed clip's snapshot keeps its text
};

SnapshotState* snapshotOf(const Value& self) {
    Object* o = self.object();
    return o ? dynamic_cast<SnapshotState*>(o->state.get()) : nullptr;
}

std::vector<std::u32string> linesOf(Interpreter& in, const Value& self) {
    SnapshotState* s = snapshotOf(self);
    if (!s || !s->clip) return {};
    if (in.host().exists(s->clip)) s->lines = in.host().staticText(s->clip);
    return s->lines;
}

std::string utf8(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u32string joined(const std::vector<std::u32string>& lines) {
    std::u32string all;
    for (auto& l : lines) all += l;
    return all;
}

int index(Interpreter& in, const Value& v) {
    double d = in.toNumber(v);
    return std::isnan(d) ? 0 : static_cast<int>(std::clamp(d, -2147483648.0, 2147483647.0));
}

Value snapshotCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    Object* clip = arg(args, 0).object();
    if (!o) return Value();
    auto state = std::make_unique<SnapshotState>();
    if (clip && clip->kind() == ObjectKind::Clip && in.host().exists(clip->clip)) {
        state->clip = clip->clip;
        state->lines = in.host().staticText(clip->clip);
    }
    o->state = std::move(state);
    return Value();
}

Value getCount(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(static_cast<double>(joined(linesOf(in, self)).size()));
}

// getText(start, end[, lineEndings]): characters start..end-1, at least one, with "\n" between
// lines when asked.
Value getText(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.size() < 2 || args.size() > 3) return Value();
    // A snapshot of no clip has no text at all.
    if (SnapshotState* s = snapshotOf(self); !s || !s->clip) return Value();
    auto lines = linesOf(in, self);
    const int count = static_cast<int>(joined(lines).size());
    if (count == 0) return Value("");
    const int start = std::clamp(index(in, args[0]), 0, count - 1);
    const int end = std::clamp(std::max(index(in, args[1]), start + 1), 0, count);
    const bool lineEndings = args.size() > 2 && in.toBoolean(args[2]);
    std::u32string out;
    int pos = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        const int lineStart = pos, lineEnd = pos + static_cast<int>(lines[l].size());
        if (lineEndings && lineStart > start && lineStart < end && !out.empty()) out += U'\n';
        const int b = std::max(start, lineStart), e = std::min(end, lineEnd);
        if (b < e) out += lines[l].substr(size_t(b - lineStart), size_t(e - b));
        pos = lineEnd;
    }
    return Value(utf8(out));
}

char32_t fold(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }

// findText(start, text, caseSensitive): the index of the text at or after start, or -1.
Value findText(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.size() != 3) return Value();
    const int start = index(in, args[0]);
    std::u32string all = joined(linesOf(in, self));
    std::string needle8 = in.toString(args[1]);
    std::u32string needle;
    for (size_t i = 0; i < needle8.size();) {
        unsigned char c = static_cast<unsigned char>(needle8[i]);
        int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t v = len == 1 ? c : c & (0xFF >> (len + 1));
        for (int k = 1; k < len && i + size_t(k) < needle8.size(); ++k)
            v = (v << 6) | (static_cast<unsigned char>(needle8[i + size_t(k)]) & 0x3F);
        needle.push_back(v);
        i += size_t(len);
    }
    if (start < 0 || needle.empty() || size_t(start) >= all.size()) return Value(-1);
    if (!in.toBoolean(args[2])) {
        for (auto& c : all) c = fold(c);
        for (auto& c : needle) c = fold(c);
    }
    size_t at = all.find(needle, size_t(start));
    return Value(at == std::u32string::npos ? -1.0 : static_cast<double>(at));
}

Value getSelected(Interpreter&, const Value&, std::span<const Value> args) {
    return args.size() < 2 ? Value() : Value(false);
}
Value getSelectedText(Interpreter&, const Value&, std::span<const Value>) { return Value(""); }
Value hitTestTextNearPos(Interpreter&, const Value&, std::span<const Value> args) {
    return args.size() < 2 ? Value() : Value(-1);
}
Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

Value getTextSnapshot(Interpreter& in, const Value& self, std::span<const Value>) {
    // Made through whatever _global.TextSnapshot is now, as the player does.
    Value ctor = in.getMember(Value(in.global()), "TextSnapshot");
    Value a[] = {self};
    return in.construct(ctor, a);
}

}  // namespace

void installTextSnapshot(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "TextSnapshot", snapshotCtor, proto);
    struct M {
        const char* name;
        NativeFunction fn;
    };
    for (const M& m : {M{"getCount", getCount}, M{"setSelected", noop}, M{"getSelected", getSelected},
                       M{"getText", getText}, M{"getSelectedText", getSelectedText},
                       M{"hitTestTextNearPos", hitTestTextNearPos}, M{"findText", findText},
                       M{"setSelectColor", noop}, M{"getTextRunInfo", noop}}) {
        in.method(proto, m.name, m.fn);
        proto->findOwn(m.name)->flags = kOnlySwf6Up;  // enumerable, as the player has them
    }
    if (in.movieClipPrototype) {
        in.method(in.movieClipPrototype, "getTextSnapshot", getTextSnapshot);
        in.movieClipPrototype->findOwn("getTextSnapshot")->flags |= kOnlySwf6Up;
    }
}

}  // namespace kelmora::player::avm1
