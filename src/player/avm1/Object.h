#pragma once
// Script objects: an insertion-ordered property map with flags, a prototype link and, per kind,
// the extra state of functions, arrays, wrappers of primitives, dates and movie clips.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "player/avm1/Value.h"

namespace kelmora::player::avm1 {

class Interpreter;
class Object;

enum PropertyFlags : uint16_t {
    kDontEnum = 1,
    kDontDelete = 2,
    kReadOnly = 4,
    // Properties that movies of some versions don't see (set by ASSetPropFlags).
    kOnlySwf6Up = 0x80,
    kIgnoreSwf6 = 0x100,
    kOnlySwf7Up = 0x400,
    kOnlySwf8Up = 0x1000,
    kOnlySwf9Up = 0x2000,
    kOnlySwf10Up = 0x4000,
};
inline constexpr uint16_t kSettablePropertyFlags =
    kDontEnum | kDontDelete | kReadOnly | kOnlySwf6Up | kIgnoreSwf6 | kOnlySwf7Up | kOnlySwf8Up | kOnlySwf9Up | kOnlySwf10Up;

struct Property {
    std::string name;  // as first written, for enumeration
    Value value;
    Object* getter = nullptr;  // addProperty accessors
    Object* setter = nullptr;
    uint16_t flags = 0;
    bool deleted = false;
    bool busy = false;  // a watch callback on it is running: reads and writes use the slot
    uint8_t getterDepth = 0, setterDepth = 0;  // nested calls of its accessors
};

// Property names compare without case in movies of SWF 6 and below.
struct NameHash {
    bool caseSensitive = true;
    size_t operator()(std::string_view s) const;
};
struct NameEqual {
    bool caseSensitive = true;
    bool operator()(std::string_view a, std::string_view b) const;
};

// State that a built-in class keeps beside an object's properties (XML nodes, bitmaps...). It
// marks the objects it holds so that the collector keeps them.
struct NativeState {
    virtual ~NativeState() = default;
    virtual void mark(const std::function<void(Object*)>& mark) const { (void)mark; }
};

using NativeFunction = Value (*)(Interpreter&, const Value& self, std::span<const Value> args);

// A compiled function from DefineFunction/DefineFunction2.
struct ScriptFunction {
    std::shared_ptr<const std::vector<uint8_t>> code;
    size_t start = 0, end = 0;  // body in code
    int swfVersion = 6;
    std::string name;
    std::vector<std::string> params;
    std::vector<uint8_t> paramRegisters;  // DefineFunction2: 0 = passed by name
    bool isFunction2 = false;
    uint8_t registerCount = 0;
    uint16_t flags = 0;  // DefineFunction2 preload/suppress flags
    std::vector<Object*> scope;  // the scope chain where it was defined
    std::shared_ptr<const std::vector<std::string>> constants;
    Object* target = nullptr;  // the clip whose timeline defined it
};

// Super: the `super` of a method; proto is where lookups start, primitive holds `this`.
enum class ObjectKind : uint8_t { Plain, Function, Array, Boolean, Number, String, Date, Clip, Error, Super };

class Object {
public:
    Object(ObjectKind kind, Object* proto, bool caseSensitive);
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind kind() const { return kind_; }
    Object* proto() const { return proto_; }
    void setProto(Object* p) { proto_ = p; }

    // Own properties only (no accessors called, no prototype walk).
    Property* findOwn(std::string_view name);
    const Property* findOwn(std::string_view name) const;
    // Defines or overwrites an own property's value, keeping its flags when it exists.
    Property& setOwn(std::string_view name, Value value, uint8_t flagsIfNew = 0);
    void define(std::string_view name, Value value, uint8_t flags) { setOwn(name, std::move(value), flags).flags = flags; }
    bool removeOwn(std::string_view name);  // false when missing or DontDelete
    // Own properties in insertion order, deleted ones skipped.
    const std::vector<Property>& rawProperties() const { return props_; }
    std::vector<Property>& rawProperties() { return props_; }
    size_t propertyCount() const { return index_.size(); }
    bool caseSensitive() const { return index_.hash_function().caseSensitive; }
    // The movie version that looks at this object: properties flagged for other versions are
    // invisible to findOwn and enumeration.
    uint8_t swfVersion = 99;
    bool hidden(const Property& p) const {
        return ((p.flags & kOnlySwf6Up) && swfVersion < 6) || ((p.flags & kIgnoreSwf6) && swfVersion == 6) ||
               ((p.flags & kOnlySwf7Up) && swfVersion < 7) || ((p.flags & kOnlySwf8Up) && swfVersion < 8) ||
               ((p.flags & kOnlySwf9Up) && swfVersion < 9) || ((p.flags & kOnlySwf10Up) && swfVersion < 10);
    }

    // Functions.
    NativeFunction native = nullptr;
    NativeFunction nativeConstruct = nullptr;  // `new` of a native class; null: call native on a fresh object
    std::unique_ptr<ScriptFunction> script;
    bool callable() const { return native || script; }

    // Wrappers of primitives (Boolean, Number, String) and Date's time value.
    Value primitive;
    // Arrays: the length property, a 32-bit signed number kept in these bits (arrayLengthOf).
    uint32_t arrayLength = 0;
    // Clips: the display side's id of the clip this object stands for.
    uint64_t clip = 0;
    // Watches: name -> callback function and its user data.
    struct Watch {
        std::string name;
        Object* callback;
        Value userData;
        bool running = false;  // its callback is on the stack: assignments inside don't call it again
    };
    std::vector<Watch> watches;
    // The interface list of ImplementsOp (constructors only).
    std::vector<Object*> interfaces;

    // Native state of built-in classes.
    std::unique_ptr<NativeState> state;

    // Super objects: the object holding the method that made them.
    Object* home = nullptr;
    bool marked = false;  // collector's mark bit

private:
    void compact();

    ObjectKind kind_;
    Object* proto_;
    std::vector<Property> props_;
    std::unordered_map<std::string, uint32_t, NameHash, NameEqual> index_;
    size_t deletedCount_ = 0;
};

// Index of an array element name ("0", "12"), or -1 when the name is not a canonical index.
int64_t arrayIndex(std::string_view name);
// An element name as the player reads it for an array's length: digits with an optional minus,
// taken modulo 2^32 as a signed number ("4294967296" is 0). False for other names.
bool arrayIndexWrapped(std::string_view name, int32_t& index);
inline int32_t arrayLengthOf(const Object* o) { return static_cast<int32_t>(o->arrayLength); }
// Sets an array's length; a shorter one drops the elements from the new length (at least 0)
// up to the old one.
void setArrayLength(Object* o, int32_t length);

}  // namespace kelmora::player::avm1
