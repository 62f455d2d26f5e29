// Values as they arrive on the other side of the player's AMF0 serialisation (LocalConnection
// messages, shared objects): data survives, what AMF0 can't carry does not.
#include <unordered_map>

#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"
#include "player/avm1/XmlNode.h"

namespace kelmora::player::avm1 {

namespace {

constexpr int kMaxDepth = 64;
constexpr size_t kMaxValues = 100000;

struct AmfCopier {
    Interpreter& in;
    // Objects seen before are written as references: their copies are shared the same way.
    std::unordered_map<Object*, Object*> copies;
    size_t count = 0;

    void copyProperties(Object* from, Object* to, int depth) {
        for (const std::string& name : in.enumerate(from)) {
            if (in.unwinding() || ++count > kMaxValues) return;
            Value v = in.getMember(from, name);
            if (in.unwinding()) return;
            to->setOwn(name, copy(v, depth + 1));
        }
    }

    Value copy(const Value& v, int depth) {
        Object* o = v.object();
        if (!o) return v;
        if (depth > kMaxDepth || in.unwinding()) return Value();
        if (auto it = copies.find(o); it != copies.end()) return Value(it->second);
        switch (o->kind()) {
        case ObjectKind::Clip: return Value();  // a display object stays behind
        case ObjectKind::Date: {
            Value time[] = {o->primitive};
            return in.construct(in.getMember(Value(in.global()), "Date"), time);
        }
        default: break;
        }
        Object* xmlClass = in.getMember(Value(in.global()), "XML").object();
        if (xmlNode(o) && xmlClass && in.instanceOf(v, xmlClass)) {
            // An XML document travels as its text.
            Value text[] = {Value(xmlToString(in, o))};
            return in.construct(Value(xmlClass), text);
        }
        if (o->kind() == ObjectKind::Array) {
            Object* a = in.newArray();
            copies[o] = a;
            copyProperties(o, a, depth);
            a->arrayLength = std::max(a->arrayLength, o->arrayLength);
            return Value(a);
        }
        // Other objects, functions included, arrive as plain objects with their enumerable data.
        Object* plain = in.newObject();
        copies[o] = plain;
        copyProperties(o, plain, depth);
        return Value(plain);
    }
};

}  // namespace

Value amfCopy(Interpreter& in, const Value& v) {
    AmfCopier copier{in, {}, 0};
    return copier.copy(v, 0);
}

}  // namespace kelmora::player::avm1
