// ExternalInterface's conversions between script values and the XML and JavaScript texts a
// container would exchange. No container is there, but movies may call them directly; they
// behave as the player's own script versions do (which is why an empty string reads "null":
// it goes through _escapeXML).
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

constexpr int kMaxDepth = 64;
constexpr double kMaxItems = 100000;
// Values visited by one conversion: an object listed under many names (or in itself) is written
// again each time, so the total is bounded, not only the depth.
constexpr int kMaxVisits = 20000;
thread_local int visitsLeft = kMaxVisits;

// Value-making conversions count from here.
struct Conversion {
    Conversion() { visitsLeft = kMaxVisits; }
};
bool visit() { return --visitsLeft >= 0; }

Value externalInterface(Interpreter& in) {
    return in.getMember(Value(packageObject(in, "flash.external")), "ExternalInterface");
}

std::string helperText(Interpreter& in, std::string_view helper, const Value& v) {
    Value args[] = {v};
    Value r = in.callMethodOf(externalInterface(in), helper, args);
    return r.isUndefined() ? std::string("undefined") : in.toString(r);
}

void toXml(Interpreter& in, const Value& v, int depth, std::string& out);

// Elements 0..length-1 (arguments skip the first, the name of the function called).
void listToXml(Interpreter& in, const Value& v, bool arguments, int depth, std::string& out) {
    out += arguments ? "<arguments>" : "<array>";
    const double length = v.object() || v.isString() ? in.toNumber(in.getMember(v, "length")) : 0;
    for (int i = arguments ? 1 : 0; i < length && i < kMaxItems && !in.unwinding() && visitsLeft > 0; ++i) {
        if (!arguments) out += "<property id=\"" + std::to_string(i) + "\">";
        toXml(in, in.getMember(v, std::to_string(i)), depth + 1, out);
        if (!arguments) out += "</property>";
    }
    out += arguments ? "</arguments>" : "</array>";
}

void objectToXml(Interpreter& in, const Value& v, int depth, std::string& out) {
    out += "<object>";
    if (Object* o = v.object()) {
        for (const std::string& name : in.enumerate(o)) {
            if (in.unwinding() || visitsLeft <= 0) break;
            out += "<property id=\"" + name + "\">";
            toXml(in, in.getMember(o, name), depth + 1, out);
            out += "</property>";
        }
    }
    out += "</object>";
}

void toXml(Interpreter& in, const Value& v, int depth, std::string& out) {
    if (depth > kMaxDepth || in.unwinding() || !visit() || !in.chargeText(16)) {
        out += "<undefined/>";
        return;
    }
    const std::string type = in.typeOf(v);
    if (type == "string") out += "<string>" + helperText(in, "_escapeXML", v) + "</string>";
    else if (type == "number") out += "<number>" + in.toString(v) + "</number>";
    else if (type == "boolean") out += in.toBoolean(v) ? "<true/>" : "<false/>";
    else if (v.isUndefined()) out += "<undefined/>";
    else if (v.isNull() || type == "function") out += "<null/>";
    // Anything with a length is written as an array.
    else if (!in.getMember(v, "length").isUndefined()) listToXml(in, v, false, depth, out);
    else objectToXml(in, v, depth, out);
}

// An XML node (or anything with nodeName, firstChild and childNodes) back to a value.
Value toAs(Interpreter& in, const Value& node, int depth);

Value childrenToAs(Interpreter& in, const Value& node, bool asObject, bool byId, int depth) {
    Object* out = asObject ? in.newObject() : in.newArray();
    Value children = node.object() ? in.getMember(node, "childNodes") : Value();
    const double length = children.object() ? in.toNumber(in.getMember(children, "length")) : 0;
    for (int i = 0; i < length && i < kMaxItems && !in.unwinding(); ++i) {
        Value child = in.getMember(children, std::to_string(i));
        if (byId) {
            Value id = in.getMember(in.getMember(child, "attributes"), "id");
            in.setMember(out, in.toString(id), toAs(in, in.getMember(child, "firstChild"), depth + 1));
        } else {
            Value item[] = {toAs(in, child, depth + 1)};
            in.callMethodOf(Value(out), "push", item);
        }
    }
    return Value(out);
}

Value toAs(Interpreter& in, const Value& node, int depth) {
    if (!node.object() || depth > kMaxDepth || in.unwinding() || !visit()) return Value();
    const Value name = in.getMember(node, "nodeName");
    // Names compare as == does: case matters, a String object matches, another object does not.
    auto is = [&](const char* type) { return in.equals(name, Value(type)); };
    if (is("null")) return Value::null();
    if (is("true")) return Value(true);
    if (is("false")) return Value(false);
    if (is("string") || is("number")) {
        const std::string text = in.toString(in.getMember(node, "firstChild"));
        if (is("number")) return Value(in.toNumber(Value(text)));
        return text.empty() ? Value(text) : Value(helperText(in, "_unescapeXML", Value(text)));
    }
    if (is("array")) return childrenToAs(in, node, false, true, depth);
    if (is("object")) return childrenToAs(in, node, true, true, depth);
    if (is("arguments")) return childrenToAs(in, node, false, false, depth);
    return Value();
}

void toJs(Interpreter& in, const Value& v, int depth, std::string& out) {
    if (depth > kMaxDepth || in.unwinding() || !visit() || !in.chargeText(16)) {
        out += "undefined";
        return;
    }
    const std::string type = in.typeOf(v);
    if (type == "string") out += "\"" + helperText(in, "_jsQuoteString", v) + "\"";
    else if (type == "number" || type == "boolean") out += in.toString(v);
    else if (v.isUndefined()) out += "undefined";
    else if (v.isNull() || type == "function") out += "null";
    else if (in.instanceOf(v, in.getMember(Value(in.global()), "Array").object())) {
        out += "[";
        const double length = in.toNumber(in.getMember(v, "length"));
        for (int i = 0; i < length && i < kMaxItems && !in.unwinding() && visitsLeft > 0; ++i) {
            if (i) out += ",";
            toJs(in, in.getMember(v, std::to_string(i)), depth + 1, out);
        }
        out += "]";
    } else {
        out += "({";
        bool first = true;
        for (const std::string& name : in.enumerate(v.object())) {
            if (in.unwinding() || visitsLeft <= 0) break;
            if (!first) out += ",";
            first = false;
            out += name + ":";
            toJs(in, in.getMember(v, name), depth + 1, out);
        }
        out += "})";
    }
}

// Runs one conversion into a fresh text.
template <typename F>
Value written(F&& write) {
    visitsLeft = kMaxVisits;
    std::string out;
    write(out);
    return Value(std::move(out));
}

Value toXmlFn(Interpreter& in, const Value&, std::span<const Value> a) {
    return written([&](std::string& out) { toXml(in, arg(a, 0), 0, out); });
}
Value arrayToXml(Interpreter& in, const Value&, std::span<const Value> a) {
    return written([&](std::string& out) { listToXml(in, arg(a, 0), false, 0, out); });
}
Value argumentsToXml(Interpreter& in, const Value&, std::span<const Value> a) {
    return written([&](std::string& out) { listToXml(in, arg(a, 0), true, 0, out); });
}
Value objectToXmlFn(Interpreter& in, const Value&, std::span<const Value> a) {
    return written([&](std::string& out) { objectToXml(in, arg(a, 0), 0, out); });
}
Value toAsFn(Interpreter& in, const Value&, std::span<const Value> a) { Conversion c; return toAs(in, arg(a, 0), 0); }
Value arrayToAs(Interpreter& in, const Value&, std::span<const Value> a) {
    Conversion c;
    return childrenToAs(in, arg(a, 0), false, true, 0);
}
Value objectToAs(Interpreter& in, const Value&, std::span<const Value> a) {
    Conversion c;
    return childrenToAs(in, arg(a, 0), true, true, 0);
}
Value argumentsToAs(Interpreter& in, const Value&, std::span<const Value> a) {
    Conversion c;
    return childrenToAs(in, arg(a, 0), false, false, 0);
}
Value toJsFn(Interpreter& in, const Value&, std::span<const Value> a) {
    return written([&](std::string& out) { toJs(in, arg(a, 0), 0, out); });
}
Value nullFn(Interpreter&, const Value&, std::span<const Value>) { return Value::null(); }

}  // namespace

void installExternalInterfaceConversions(Interpreter& in) {
    Object* cls = externalInterface(in).object();
    if (!cls) return;
    struct Method {
        const char* name;
        NativeFunction fn;
    };
    for (const Method& m : {Method{"_toXML", toXmlFn}, {"_arrayToXML", arrayToXml}, {"_argumentsToXML", argumentsToXml},
                            {"_objectToXML", objectToXmlFn}, {"_toAS", toAsFn}, {"_arrayToAS", arrayToAs},
                            {"_objectToAS", objectToAs}, {"_argumentsToAS", argumentsToAs}, {"_toJS", toJsFn},
                            {"_arrayToJS", toJsFn}, {"_objectToJS", toJsFn}, {"_callIn", nullFn},
                            {"_callOut", nullFn}, {"_evalJS", nullFn}, {"_initJS", nullFn}})
        in.method(cls, m.name, m.fn);
    cls->define("_objectID", Value::null(), kDontEnum);
    // Movies before SWF 8 see only call() (and the prototype).
    for (Property& p : cls->rawProperties())
        if (!p.deleted && p.name != "call" && p.name != "prototype") p.flags |= kOnlySwf8Up;
}

}  // namespace kelmora::player::avm1
