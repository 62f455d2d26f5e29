#include "player/avm1/Heap.h"

namespace kelmora::player::avm1 {

Object* Heap::make(ObjectKind kind, Object* proto) {
    objects_.push_back(std::make_unique<Object>(kind, proto, caseSensitive_));
    objects_.back()->swfVersion = swfVersion_;
    return objects_.back().get();
}

void Heap::collect(const std::function<void(const std::function<void(Object*)>& mark)>& markRoots) {
    // An explicit work list: deep object graphs must not overflow the C++ stack.
    std::vector<Object*> work;
    std::function<void(Object*)> mark = [&work](Object* o) {
        if (o && !o->marked) {
            o->marked = true;
            work.push_back(o);
        }
    };
    markRoots(mark);
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        mark(o->proto());
        mark(o->home);
        for (const Property& p : o->rawProperties()) {
            if (p.deleted) continue;
            markValue(p.value, mark);
            mark(p.getter);
            mark(p.setter);
        }
        markValue(o->primitive, mark);
        for (auto& w : o->watches) { mark(w.callback); markValue(w.userData, mark); }
        for (Object* i : o->interfaces) mark(i);
        if (o->state) o->state->mark(mark);
        if (o->script) {
            for (Object* s : o->script->scope) mark(s);
            mark(o->script->target);
        }
    }
    size_t kept = 0;
    for (auto& obj : objects_) {
        if (obj->marked) {
            obj->marked = false;
            objects_[kept++] = std::move(obj);
        }
    }
    objects_.resize(kept);
}

}  // namespace kelmora::player::avm1
