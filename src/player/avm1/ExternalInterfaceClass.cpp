// flash.external.ExternalInterface without a container: nothing is available, calls give null,
// and the class's own text helpers (_escapeXML, _unescapeXML, _jsQuoteString) work as in the player.
#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

// The helpers take one text; a missing or empty one gives null.
bool textArg(Interpreter& in, std::span<const Value> args, std::string& out) {
    if (args.empty()) return false;
    out = in.toString(args[0]);
    return !out.empty();
}

Value escapeXml(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string s;
    if (!textArg(in, args, s)) return Value::null();
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out.push_back(c);
        }
    }
    if (!in.chargeText(out.size())) return Value();
    return Value(out);
}

Value unescapeXml(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string s;
    if (!textArg(in, args, s)) return Value::null();
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        if (s[i] == '&') {
            for (auto& [entity, c] : kEntities) {
                if (std::string_view(s).substr(i, entity.size()) == entity) {
                    out.push_back(c);
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(s[i++]);
    }
    return Value(out);
}

Value jsQuoteString(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string s;
    if (!textArg(in, args, s)) return Value::null();
    std::string out;
    for (char c : s) {
        if (c == '"') out.push_back('\\');
        out.push_back(c);
    }
    if (!in.chargeText(out.size())) return Value();
    return Value(out);
}

Value nullFn(Interpreter&, const Value&, std::span<const Value>) { return Value::null(); }
Value falseFn(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value ctor(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

Object* packageObject(Interpreter& in, std::string_view path) {
    Object* at = in.global();
    while (!path.empty()) {
        size_t dot = path.find('.');
        std::string_view name = path.substr(0, dot);
        // Found as stored: a lookup would not see the SWF 8 package from an older movie's player.
        Object* next = nullptr;
        for (Property& p : at->rawProperties())
            if (!p.deleted && p.name == name) next = p.value.object();
        if (!next) {
            next = in.newObject();
            // The packages appear to SWF 8 movies and later.
            at->define(name, next, kDontEnum);
            if (at == in.global()) at->findOwn(name)->flags |= kOnlySwf8Up;
        }
        at = next;
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    }
    return at;
}

void installExternalInterfaceClass(Interpreter& in) {
    Object* cls = in.makeClass(packageObject(in, "flash.external"), "ExternalInterface", ctor, in.newObject());
    cls->define("available", Value(false), kDontEnum | kDontDelete | kReadOnly);
    in.method(cls, "call", nullFn);
    in.method(cls, "addCallback", falseFn);
    in.method(cls, "_escapeXML", escapeXml);
    in.method(cls, "_unescapeXML", unescapeXml);
    in.method(cls, "_jsQuoteString", jsQuoteString);
}

}  // namespace kelmora::player::avm1
