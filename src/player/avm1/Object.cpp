#include "player/avm1/Object.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kelmora::player::avm1 {

namespace {
char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

size_t NameHash::operator()(std::string_view s) const {
    size_t h = 1469598103934665603ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(caseSensitive ? c : fold(c));
        h *= 1099511628211ull;
    }
    return h;
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    if (caseSensitive) return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

Object::Object(ObjectKind kind, Object* proto, bool caseSensitive)
    : kind_(kind), proto_(proto), index_(8, NameHash{caseSensitive}, NameEqual{caseSensitive}) {}

Property* Object::findOwn(std::string_view name) {
    // Heterogeneous lookup is C++20 only for unordered containers with is_transparent; a
    // temporary string keeps this simple.
    auto it = index_.find(std::string(name));
    return it == index_.end() || hidden(props_[it->second]) ? nullptr : &props_[it->second];
}

const Property* Object::findOwn(std::string_view name) const {
    auto it = index_.find(std::string(name));
    return it == index_.end() || hidden(props_[it->second]) ? nullptr : &props_[it->second];
}

Property& Object::setOwn(std::string_view name, Value value, uint8_t flagsIfNew) {
    std::string key(name);
    auto it = index_.find(key);
    if (it != index_.end()) {
        Property& p = props_[it->second];
        p.value = std::move(value);
        // Writing a property flagged for other movie versions makes a plain one of it.
        if (hidden(p)) {
            p.flags = flagsIfNew;
            p.getter = p.setter = nullptr;
        }
        return p;
    }
    index_.emplace(key, static_cast<uint32_t>(props_.size()));
    Property p;
    p.name = std::move(key);
    p.value = std::move(value);
    p.flags = flagsIfNew;
    props_.push_back(std::move(p));
    return props_.back();
}

bool Object::removeOwn(std::string_view name) {
    auto it = index_.find(std::string(name));
    if (it == index_.end()) return false;
    Property& p = props_[it->second];
    if (p.flags & kDontDelete) return false;
    p.deleted = true;
    p.value = Value();
    p.getter = p.setter = nullptr;
    index_.erase(it);
    if (++deletedCount_ > 16 && deletedCount_ * 2 > props_.size()) compact();
    return true;
}

void Object::compact() {
    std::vector<Property> kept;
    kept.reserve(index_.size());
    for (auto& p : props_)
        if (!p.deleted) kept.push_back(std::move(p));
    props_ = std::move(kept);
    index_.clear();
    for (uint32_t i = 0; i < props_.size(); ++i) index_.emplace(props_[i].name, i);
    deletedCount_ = 0;
}

int64_t arrayIndex(std::string_view name) {
    if (name.empty() || name.size() > 10) return -1;
    if (name.size() > 1 && name[0] == '0') return -1;
    int64_t v = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= 4294967294ll ? v : -1;
}

bool arrayIndexWrapped(std::string_view name, int32_t& index) {
    const bool negative = !name.empty() && name[0] == '-';
    std::string_view digits = negative ? name.substr(1) : name;
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return false;
    uint32_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10u + static_cast<uint32_t>(c - '0');
    }
    index = static_cast<int32_t>(negative ? 0u - v : v);
    return true;
}

void setArrayLength(Object* o, int32_t length) {
    const int32_t old = arrayLengthOf(o);
    o->arrayLength = static_cast<uint32_t>(length);
    const int64_t from = std::max<int64_t>(length, 0);
    if (old <= from) return;
    if (static_cast<uint64_t>(old - from) <= o->propertyCount()) {
        for (int64_t i = from; i < old; ++i) o->removeOwn(std::to_string(i));
        return;
    }
    // Fewer elements than the range is long: look at the elements instead of the range.
    std::vector<std::string> doomed;
    for (const Property& p : o->rawProperties()) {
        const int64_t i = p.deleted ? -1 : arrayIndex(p.name);
        if (i >= from && i < old) doomed.push_back(p.name);
    }
    for (const std::string& name : doomed) o->removeOwn(name);
}

}  // namespace kelmora::player::avm1
