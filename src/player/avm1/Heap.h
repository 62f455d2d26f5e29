#pragma once
// Owns every script object. Objects are freed by a mark-and-sweep collection that the interpreter
// runs between scripts (never while one runs), so cycles through prototypes and closures are freed.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "player/avm1/Object.h"

namespace kelmora::player::avm1 {

class Heap {
public:
    Heap(bool caseSensitive, size_t maxObjects) : caseSensitive_(caseSensitive), maxObjects_(maxObjects) {}

    // A new object. Past the cap the object is still made (callers need not check) and
    // `exhausted()` turns true so that the running script is stopped.
    Object* make(ObjectKind kind, Object* proto);
    bool exhausted() const { return objects_.size() >= maxObjects_; }
    size_t size() const { return objects_.size(); }
    bool caseSensitive() const { return caseSensitive_; }
    void setSwfVersion(int version) { swfVersion_ = static_cast<uint8_t>(std::clamp(version, 0, 99)); }

    // Marks from the roots that `markRoots` hands to `mark`, then frees everything unmarked.
    void collect(const std::function<void(const std::function<void(Object*)>& mark)>& markRoots);
    static void markValue(const Value& v, const std::function<void(Object*)>& mark) {
        if (Object* o = v.object()) mark(o);
    }

private:
    bool caseSensitive_;
    size_t maxObjects_;
    uint8_t swfVersion_ = 99;
    std::vector<std::unique_ptr<Object>> objects_;
};

}  // namespace kelmora::player::avm1
