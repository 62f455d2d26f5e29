// Array: elements are ordinary properties named "0", "1"... with a length kept beside them.
#include <algorithm>
#include <cmath>
#include <functional>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

// Arrays longer than this are not walked element by element by the methods below.
constexpr uint32_t kMaxWalk = 1u << 22;

uint32_t lengthOf(Interpreter& in, Object* o) {
    if (!o) return 0;
    if (o->kind() == ObjectKind::Array) return std::min(static_cast<uint32_t>(std::max(arrayLengthOf(o), 0)), kMaxWalk);
    double n = in.toNumber(in.getMember(o, "length"));
    if (!(n > 0)) return 0;
    return static_cast<uint32_t>(std::min<double>(n, kMaxWalk));
}

// The methods of real arrays read the stored elements (accessors added on them are not called).
Value at(Interpreter& in, Object* o, uint32_t i) {
    std::string name = std::to_string(i);
    if (o->kind() == ObjectKind::Array) {
        const Property* p = o->findOwn(name);
        return p ? p->value : Value();
    }
    return in.getMember(o, name);
}
void put(Interpreter& in, Object* o, uint32_t i, const Value& v) { in.setMember(o, std::to_string(i), v); }

std::vector<Value> elements(Interpreter& in, Object* o) {
    std::vector<Value> out;
    uint32_t n = lengthOf(in, o);
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i) out.push_back(at(in, o, i));
    return out;
}

void assign(Interpreter& in, Object* o, const std::vector<Value>& items) {
    // Elements are written anew, so enumeration sees them in index order.
    for (uint32_t i = 0; i < items.size(); ++i) o->removeOwn(std::to_string(i));
    for (uint32_t i = 0; i < items.size(); ++i) put(in, o, i, items[i]);
    in.setMember(o, "length", Value(static_cast<double>(items.size())));
}

Value arrayCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() == 1 && args[0].isNumber()) {
        Object* a = in.newArray();
        double n = args[0].number();
        // The player keeps a negative length as given (an empty array that says so).
        setArrayLength(a, toInt32(n));
        return Value(a);
    }
    return Value(in.newArray(args));
}

Value push(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    uint32_t n = lengthOf(in, o);
    for (const Value& v : args) put(in, o, n++, v);
    in.setMember(o, "length", Value(static_cast<double>(n)));
    return Value(static_cast<double>(n));
}

Value pop(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    uint32_t n = lengthOf(in, o);
    if (n == 0) return Value();
    Value v = at(in, o, n - 1);
    in.setMember(o, "length", Value(static_cast<double>(n - 1)));
    o->removeOwn(std::to_string(n - 1));
    return v;
}

Value shift(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    std::vector<Value> items = elements(in, o);
    if (items.empty()) return Value();
    Value first = items.front();
    items.erase(items.begin());
    o->removeOwn(std::to_string(items.size()));
    assign(in, o, items);
    return first;
}

Value unshift(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    std::vector<Value> items = elements(in, o);
    items.insert(items.begin(), args.begin(), args.end());
    assign(in, o, items);
    return Value(static_cast<double>(items.size()));
}

// A relative index as slice/splice read it: negative counts from the end; clamped to 0..len.
uint32_t relative(Interpreter& in, const Value& v, uint32_t len, uint32_t fallback) {
    if (v.isUndefined()) return fallback;
    double d = in.toNumber(v);
    if (std::isnan(d)) return 0;
    d = std::trunc(d);
    if (d < 0) d = std::max(0.0, len + d);
    return static_cast<uint32_t>(std::min<double>(d, len));
}

Value slice(Interpreter& in, const Value& self, std::span<const Value> args) {
    std::vector<Value> items = elements(in, self.object());
    uint32_t len = static_cast<uint32_t>(items.size());
    uint32_t start = relative(in, arg(args, 0), len, 0);
    uint32_t end = relative(in, arg(args, 1), len, len);
    std::vector<Value> out;
    for (uint32_t i = start; i < end; ++i) out.push_back(items[i]);
    return Value(in.newArray(out));
}

Value splice(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.empty()) return Value();
    std::vector<Value> items = elements(in, o);
    uint32_t len = static_cast<uint32_t>(items.size());
    uint32_t start = relative(in, args[0], len, 0);
    uint32_t count = len - start;
    if (args.size() > 1) {
        double d = in.toNumber(args[1]);
        count = std::isnan(d) || d < 0 ? 0 : static_cast<uint32_t>(std::min<double>(d, len - start));
    }
    std::vector<Value> removed(items.begin() + start, items.begin() + start + count);
    items.erase(items.begin() + start, items.begin() + start + count);
    if (args.size() > 2) items.insert(items.begin() + start, args.begin() + 2, args.end());
    for (uint32_t i = static_cast<uint32_t>(items.size()); i < len; ++i) o->removeOwn(std::to_string(i));
    assign(in, o, items);
    return Value(in.newArray(removed));
}

Value concat(Interpreter& in, const Value& self, std::span<const Value> args) {
    std::vector<Value> items = elements(in, self.object());
    for (const Value& v : args) {
        Object* a = v.object();
        if (a && a->kind() == ObjectKind::Array) {
            auto more = elements(in, a);
            items.insert(items.end(), more.begin(), more.end());
        } else {
            items.push_back(v);
        }
    }
    return Value(in.newArray(items));
}

std::string joinItems(Interpreter& in, Object* o, const std::string& sep) {
    std::string out;
    uint32_t n = lengthOf(in, o);
    for (uint32_t i = 0; i < n; ++i) {
        if (i) out += sep;
        // The player's join reads the elements of real arrays only; other objects give holes.
        Value v = o->kind() == ObjectKind::Array ? at(in, o, i) : Value();
        if (v.isUndefined()) out += in.swfVersion() >= 7 ? "undefined" : "";
        else out += in.toString(v);
        if (out.size() > in.limits().maxStringLength) {
            in.chargeText(out.size());
            break;
        }
    }
    in.chargeText(out.size());
    return out;
}

Value join(Interpreter& in, const Value& self, std::span<const Value> args) {
    std::string sep = args.empty() || args[0].isUndefined() ? "," : in.toString(args[0]);
    return Value(joinItems(in, self.object(), sep));
}

Value toString(Interpreter& in, const Value& self, std::span<const Value>) { return Value(joinItems(in, self.object(), ",")); }

Value reverse(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    if (!o) return self;
    // Pairs are swapped from the ends inwards, each element written anew (holes become
    // undefined elements), so enumeration sees them in the order they were written.
    const uint32_t n = lengthOf(in, o);
    for (uint32_t i = 0; i < n / 2; ++i) {
        const uint32_t j = n - 1 - i;
        Value low = at(in, o, i), high = at(in, o, j);
        o->removeOwn(std::to_string(i));
        put(in, o, i, high);
        o->removeOwn(std::to_string(j));
        put(in, o, j, low);
    }
    return self;
}

enum SortFlags { kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16 };

// A merge sort: it stays in bounds even when a script's comparator is inconsistent.
void mergeSort(std::vector<size_t>& idx, const std::function<int(size_t, size_t)>& cmp) {
    std::vector<size_t> tmp(idx.size());
    for (size_t width = 1; width < idx.size(); width *= 2) {
        for (size_t lo = 0; lo < idx.size(); lo += 2 * width) {
            size_t mid = std::min(lo + width, idx.size()), hi = std::min(lo + 2 * width, idx.size());
            size_t a = lo, b = mid, k = lo;
            while (a < mid && b < hi) tmp[k++] = cmp(idx[b], idx[a]) < 0 ? idx[b++] : idx[a++];
            while (a < mid) tmp[k++] = idx[a++];
            while (b < hi) tmp[k++] = idx[b++];
        }
        idx.swap(tmp);
    }
}

int compareValues(Interpreter& in, const Value& a, const Value& b, int flags) {
    if (flags & kNumeric) {
        double x = in.toNumber(a), y = in.toNumber(b);
        if (x < y) return -1;
        if (x > y) return 1;
        return 0;
    }
    std::string x = in.toString(a), y = in.toString(b);
    if (flags & kCaseInsensitive) {
        for (auto& c : x) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (auto& c : y) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

Value finishSort(Interpreter& in, Object* o, const std::vector<Value>& items, std::vector<size_t>& idx,
                 const std::function<int(size_t, size_t)>& cmp, int flags) {
    mergeSort(idx, cmp);
    if (flags & kUniqueSort)
        for (size_t i = 1; i < idx.size(); ++i)
            if (cmp(idx[i - 1], idx[i]) == 0) return Value(0.0);
    if (flags & kReturnIndexedArray) {
        std::vector<Value> out;
        for (size_t i : idx) out.push_back(Value(static_cast<double>(i)));
        return Value(in.newArray(out));
    }
    std::vector<Value> sorted;
    for (size_t i : idx) sorted.push_back(items[i]);
    assign(in, o, sorted);
    return Value(o);
}

Value sort(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    std::vector<Value> items = elements(in, o);
    Object* fn = nullptr;
    int flags = 0;
    size_t ai = 0;
    if (ai < args.size() && args[ai].object() && args[ai].object()->callable()) fn = args[ai++].object();
    if (ai < args.size()) flags = in.toInt(args[ai]);
    std::vector<size_t> idx(items.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    auto cmp = [&](size_t a, size_t b) {
        int r;
        if (fn) {
            Value pair[] = {items[a], items[b]};
            double d = in.toNumber(in.call(Value(fn), Value(), pair));
            r = d < 0 ? -1 : (d > 0 ? 1 : 0);
        } else {
            r = compareValues(in, items[a], items[b], flags);
        }
        return (flags & kDescending) ? -r : r;
    };
    return finishSort(in, o, items, idx, cmp, flags);
}

Value sortOn(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.empty()) return self;
    std::vector<Value> items = elements(in, o);
    std::vector<std::string> fields;
    if (Object* list = args[0].object(); list && list->kind() == ObjectKind::Array) {
        for (auto& v : elements(in, list)) fields.push_back(in.toString(v));
    } else {
        fields.push_back(in.toString(args[0]));
    }
    int flags = args.size() > 1 ? in.toInt(args[1]) : 0;
    std::vector<size_t> idx(items.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    auto cmp = [&](size_t a, size_t b) {
        for (auto& field : fields) {
            int r = compareValues(in, in.getMember(items[a], field), in.getMember(items[b], field), flags);
            if (r) return (flags & kDescending) ? -r : r;
        }
        return 0;
    };
    return finishSort(in, o, items, idx, cmp, flags);
}

}  // namespace

void installArrayClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.arrayPrototype = proto;
    Object* cls = in.makeClass(in.global(), "Array", arrayCtor, proto);
    cls->nativeConstruct = arrayCtor;
    cls->define("CASEINSENSITIVE", Value(1.0), kDontEnum | kDontDelete | kReadOnly);
    cls->define("DESCENDING", Value(2.0), kDontEnum | kDontDelete | kReadOnly);
    cls->define("UNIQUESORT", Value(4.0), kDontEnum | kDontDelete | kReadOnly);
    cls->define("RETURNINDEXEDARRAY", Value(8.0), kDontEnum | kDontDelete | kReadOnly);
    cls->define("NUMERIC", Value(16.0), kDontEnum | kDontDelete | kReadOnly);
    in.method(proto, "push", push);
    in.method(proto, "pop", pop);
    in.method(proto, "shift", shift);
    in.method(proto, "unshift", unshift);
    in.method(proto, "slice", slice);
    in.method(proto, "splice", splice);
    in.method(proto, "concat", concat);
    in.method(proto, "join", join);
    in.method(proto, "toString", toString);
    in.method(proto, "reverse", reverse);
    in.method(proto, "sort", sort);
    in.method(proto, "sortOn", sortOn);
}

}  // namespace kelmora::player::avm1
