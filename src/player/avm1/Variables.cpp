// Variable lookup along the scope chain, and the slash/dot path forms of SWF 4 and 5.
#include <algorithm>

#include "player/avm1/Frame.h"

namespace kelmora::player::avm1 {

namespace {
// Splits "path:var" / "path.var" into the object path and the member name; false for a plain name.
bool splitPath(std::string_view name, std::string_view& path, std::string_view& member) {
    size_t colon = name.rfind(':');
    // "o:c.f" is member f of o:c: the last separator decides.
    const size_t lastDot = name.rfind('.');
    if (colon != std::string_view::npos && lastDot != std::string_view::npos && lastDot > colon + 1 &&
        lastDot + 1 < name.size() && name[lastDot - 1] != '.' && name.find('/') == std::string_view::npos)
        colon = lastDot;
    if (colon != std::string_view::npos) {
        path = name.substr(0, colon);
        member = name.substr(colon + 1);
        return true;
    }
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && dot + 1 < name.size()) {
        path = name.substr(0, dot);
        member = name.substr(dot + 1);
        return true;
    }
    return false;
}

Object* baseClip(Interpreter& in, Frame& f) {
    if (f.target != kNoClip) return in.clipObject(f.target);
    return f.scope.empty() ? in.global() : f.scope.front();
}

// The object a path names: a slash path is a clip path; a dot path starts at a variable.
Value resolvePathObject(Interpreter& in, Frame& f, std::string_view path, std::string_view member = {},
                        bool keepPrimitive = false) {
    if (path.empty()) return Value(baseClip(in, f));
    if (path.find(':') != std::string_view::npos) {
        // "a:b:m": the colons before the last one separate clips as slashes do, or, when no
        // clip has that path, objects as dots do.
        std::string slashed(path);
        std::replace(slashed.begin(), slashed.end(), ':', '/');
        Value clip = resolvePathObject(in, f, slashed, member);
        if (clip.isObject() || path.find('/') != std::string_view::npos) return clip;
        std::string dotted(path);
        std::replace(dotted.begin(), dotted.end(), ':', '.');
        return resolvePathObject(in, f, dotted, member, keepPrimitive);
    }
    if (path.find('/') != std::string_view::npos || path[0] == '.') {
        ClipId c = in.resolveTarget(f.target, path);
        if (c) return Value(in.clipObject(c));
        // The last name may be a variable of the clip before it that holds any object.
        const size_t slash = path.rfind('/');
        const std::string_view last = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (last.empty() || last == "." || last == ".." || (slash > 0 && path[slash - 1] == '/')) return Value();
        ClipId holder = slash == 0 ? in.resolveTarget(f.target, "/") : in.resolveTarget(f.target, path.substr(0, slash));
        if (!holder) return Value();
        Value v = in.getMember(in.clipObject(holder), last);
        return v.isObject() ? v : Value();
    }
    std::vector<std::string_view> segs;
    for (size_t start = 0;;) {
        size_t dot = path.find('.', start);
        segs.push_back(path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    auto walk = [&](Value v) -> Value {
        for (size_t i = 1; i < segs.size() && v.isObject(); ++i) v = in.getMember(v, segs[i]);
        return v;
    };
    NameEqual eq{f.version >= 7};
    std::string_view first = segs[0];
    if (eq(first, "this") || eq(first, "_root") || eq(first, "_parent") || eq(first, "_global") ||
        (first.size() > 6 && eq(first.substr(0, 6), "_level")))
        return walk(getVariable(in, f, first));
    // Each scope is tried with the whole path; the first that leads to an object wins, unless
    // the caller needs one that also holds `member`.
    Value fallback, hit, primitive;
    bool found = false;
    auto consider = [&](Object* scope) {
        if (!in.hasProperty(scope, first)) return false;
        hit = walk(in.getMember(scope, first));
        if (!hit.isObject()) {
            if (keepPrimitive && primitive.isUndefined() && !hit.isNull()) primitive = hit;
            return false;
        }
        if (!found) fallback = hit;
        found = true;
        return member.empty() || in.hasProperty(hit.object(), member);
    };
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it)
        if (consider(*it)) return hit;
    if (consider(in.global())) return hit;
    return found ? fallback : primitive;
}

bool isPlainName(std::string_view name) {
    return name.find_first_of(":/.") == std::string_view::npos || name == "." || name == "..";
}
}  // namespace

Object* superObject(Interpreter& in, Frame& f) {
    if (!f.home) return nullptr;
    Object* s = in.heap().make(ObjectKind::Super, f.home->proto());
    s->primitive = f.self;
    s->home = f.home;
    return s;
}

Value getVariable(Interpreter& in, Frame& f, std::string_view name, Value* thisOut) {
    if (!isPlainName(name)) {
        // "a/b" names a clip; "a/b.c" is member c of clip a/b.
        const size_t slash = name.rfind('/');
        const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
        const bool endsInMember = last.find('.') != std::string_view::npos && last != "." && last != "..";
        if (slash != std::string_view::npos && name.find(':') == std::string_view::npos && !endsInMember) {
            ClipId c = in.resolveTarget(f.target, name);
            return c ? Value(in.clipObject(c)) : Value();
        }
        std::string_view path, member;
        if (splitPath(name, path, member)) {
            Value obj = resolvePathObject(in, f, path, name.find(':') == std::string_view::npos ? member : std::string_view());
            if (thisOut) *thisOut = obj;
            return in.getMember(obj, member);
        }
    }
    // SWF 7 names these as exactly as any variable: "THIS" is an ordinary name there.
    NameEqual eq{f.version >= 7};
    if (f.version < 5 && (eq(name, "this") || eq(name, "_root") || eq(name, "_parent") ||
                          (name.size() > 6 && eq(name.substr(0, 6), "_level")))) {
        // SWF 4 knows none of these names: they are ordinary variables of the timeline.
        for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it)
            if (const Property* p = (*it)->findOwn(name)) return p->value;
        return Value();
    }
    if (eq(name, "this") && !f.selfInRegister) return f.self;
    if (eq(name, "_global") && f.version >= 6) return Value(in.global());
    if (eq(name, "super") && f.home) return Value(superObject(in, f));
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
        if (in.hasProperty(*it, name)) {
            // A function found among a function's locals is called on _global (as ECMA-262 has
            // it for activation objects).
            if (thisOut) *thisOut = *it != f.activation ? Value(*it) : Value(in.global());
            return in.getMember(*it, name);
        }
    }
    if (eq(name, "_root") || eq(name, "_parent") || (name.size() > 6 && eq(name.substr(0, 6), "_level"))) {
        if (f.target != kNoClip && in.host().exists(f.target)) return in.getMember(in.clipObject(f.target), name);
        if (eq(name, "_root") || eq(name, "_level0")) {
            ClipId l = in.host().level(0);
            return l ? Value(in.clipObject(l)) : Value();
        }
        return Value();
    }
    // SWF 4 movies know no global objects (NaN, Infinity, classes).
    if (f.version >= 5 && in.hasProperty(in.global(), name)) return in.getMember(in.global(), name);
    return Value();
}

void setVariable(Interpreter& in, Frame& f, std::string_view name, const Value& value) {
    if (!isPlainName(name)) {
        std::string_view path, member;
        if (splitPath(name, path, member)) {
            Value obj = resolvePathObject(in, f, path);
            in.setMember(obj, member, value);
            return;
        }
    }
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
        Object* o = *it;
        if (o->findOwn(name) || (o->kind() == ObjectKind::Clip && in.hasProperty(o, name))) {
            in.setMember(o, name, value);
            return;
        }
    }
    // Not declared anywhere: it becomes a variable of the timeline.
    in.setMember(f.scope.empty() ? baseClip(in, f) : f.scope.front(), name, value);
}

void defineLocal(Interpreter& in, Frame& f, std::string_view name, const Value& value) {
    Object* where = f.activation ? f.activation : (f.scope.empty() ? baseClip(in, f) : f.scope.front());
    if (!f.activation) {
        // On a timeline, a with-object that has the name itself takes the value.
        for (auto it = f.scope.rbegin(); it != f.scope.rend() && *it != where; ++it)
            if ((*it)->findOwn(name)) {
                in.setMember(*it, name, value);
                return;
            }
    }
    if (f.activation) where->setOwn(name, value);
    else in.setMember(where, name, value);
}

bool deleteVariable(Interpreter& in, Frame& f, std::string_view name) {
    std::string_view path, member;
    if (!isPlainName(name) && splitPath(name, path, member)) {
        Value obj = resolvePathObject(in, f, path, {}, true);
        // The player's log complains of a path that leads to a string, number or boolean.
        if (obj.isString() || obj.isNumber() || obj.isBoolean())
            in.host().trace("Parameters of primitive types are no longer coerced into the required type - Object.");
        return in.deleteMember(obj.object(), member);
    }
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it)
        if ((*it)->findOwn(name)) return (*it)->removeOwn(name);
    if (in.global()->findOwn(name)) return in.global()->removeOwn(name);
    return false;
}

}  // namespace kelmora::player::avm1
