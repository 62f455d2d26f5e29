#pragma once
// The ActionScript 1/2 interpreter: runs action bytecode against a Host. One interpreter serves
// one player (every level); the player calls the entry points below at the moments the timeline
// decides, and between frames calls collectGarbage().
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "player/avm1/Heap.h"
#include "player/avm1/Host.h"
#include "player/avm1/Object.h"
#include "player/avm1/Value.h"

namespace kelmora::player::avm1 {

using Code = std::shared_ptr<const std::vector<uint8_t>>;

struct Limits {
    // Actions executed by one entry (a frame script, an event handler, a timer) before it is
    // stopped. Counting actions instead of time keeps runs deterministic; at the interpreter's
    // speed the cap is reached in a few seconds, well inside the reference player's 15 s.
    uint64_t maxActionsPerEntry = 100'000'000;
    int maxCallDepth = 256;
    size_t maxObjects = 4'000'000;
    size_t maxStringLength = 64u << 20;
    // Bytes of text built by concatenation in one entry.
    size_t maxTextBytesPerEntry = 512u << 20;
};

struct Frame;

class Interpreter {
public:
    Interpreter(Host& host, int swfVersion, Limits limits = {});
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // ---- Entry points for the player ----
    // Runs DoAction/DoInitAction bytes or a clip event's actions with `target` as this/_target.
    void runScript(ClipId target, Code code, int swfVersion);
    void runScript(ClipId target, std::span<const uint8_t> code, int swfVersion);
    // ActionCall: runs another frame's script inside the running one, on the same stack.
    void runCalledFrame(ClipId target, Code code, int swfVersion);
    // Calls clip.method(args) when the clip's object has such a function (onEnterFrame, onLoad...).
    bool callMethod(ClipId clip, std::string_view method, std::span<const Value> args = {});
    // A clip placed by the timeline or made by a script: applies the class registered for its
    // symbol (Object.registerClass), copies an init object's properties and runs that constructor.
    void clipConstructed(ClipId clip, const Value& init = {});
    // Runs the setInterval/setTimeout callbacks that are due at the host's time.
    void runTimers();
    void collectGarbage();
    void seedRandom(uint64_t seed) { random_.seed(seed); }
    // A MovieClipLoader event of a load the host was asked for: loader.broadcastMessage(event,
    // clip, extra...). `last` forgets the request.
    void loadEvent(uint64_t request, std::string_view event, ClipId clip, std::span<const Value> extra, bool last);
    // Loaders waiting for their loads' events, by request number.
    std::unordered_map<uint64_t, Value> loadListeners;
    // A text file Host::loadText was asked for arrived (ok false: it could not be read). The
    // waiting LoadVars object or clip (loadVariables) gets its variables and events. Answers the
    // clip that loadVariables filled (its data event is the host's to run), else kNoClip.
    ClipId textLoaded(uint64_t request, bool ok, std::string_view text);
    std::unordered_map<uint64_t, Value> textListeners;

    // ---- For built-in classes ----
    Host& host() { return host_; }
    int swfVersion() const { return swfVersion_; }
    Heap& heap() { return heap_; }
    Object* global() const { return global_; }
    std::mt19937& random() { return random_; }

    Object* objectPrototype = nullptr;
    Object* functionPrototype = nullptr;
    Object* arrayPrototype = nullptr;
    Object* stringPrototype = nullptr;
    Object* numberPrototype = nullptr;
    Object* booleanPrototype = nullptr;
    Object* datePrototype = nullptr;
    Object* errorPrototype = nullptr;
    Object* movieClipPrototype = nullptr;
    Object* buttonPrototype = nullptr;
    Object* textFieldPrototype = nullptr;
    // Prototypes of the other built-in classes by class name ("XMLNode"...), kept alive.
    std::map<std::string, Object*, std::less<>> classPrototypes;

    Object* newObject(Object* proto = nullptr);  // proto null: Object.prototype
    Object* newArray(std::span<const Value> items = {});
    Object* newFunction(NativeFunction fn, Object* prototypeObject = nullptr);
    // Defines a native method on an object (DontEnum, as the player's own methods are).
    Object* method(Object* on, std::string_view name, NativeFunction fn);
    // A native class: constructor function with a fresh prototype object, set on `on` as `name`.
    Object* makeClass(Object* on, std::string_view name, NativeFunction ctor, Object* prototype);
    Object* clipObject(ClipId clip);  // the script object of a clip (made on first use)
    // A clip leaves the stage: its object keeps the path it had, and from then on stands for
    // whichever clip has that path (none: the object reads as undefined).
    void clipRemoved(ClipId clip);
    // The live clip a clip object stands for: its own clip, or the one now at its old path.
    ClipId liveClip(const Object* o);
    // An object of a removed clip that no clip stands in for any more.
    bool deadClip(const Object* o) { return o && o->kind() == ObjectKind::Clip && o->primitive.isString() && !liveClip(o); }

    // Conversions of the running movie's version.
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    bool toBoolean(const Value& v) const;
    Value toPrimitive(const Value& v);
    Object* toObject(const Value& v);
    int32_t toInt(const Value& v) { return toInt32(toNumber(v)); }
    std::string typeOf(const Value& v);

    // Property access with accessors, prototype walk and clip forwarding.
    Value getMember(const Value& object, std::string_view name);
    Value getMember(Object* object, std::string_view name);
    void setMember(const Value& object, std::string_view name, const Value& value);
    void setMember(Object* object, std::string_view name, const Value& value);
    bool hasProperty(Object* object, std::string_view name);
    bool deleteMember(Object* object, std::string_view name);
    // Enumerable names of an object and its prototypes, in the order the player enumerates them.
    std::vector<std::string> enumerate(Object* object);

    // Calls: `fn` must be a function object, else undefined.
    Value call(const Value& fn, const Value& self, std::span<const Value> args);
    Value callMethodOf(const Value& object, std::string_view name, std::span<const Value> args);
    Value construct(const Value& ctor, std::span<const Value> args);
    // Calls a script or native function whose `super` starts above `home`.
    Value callWithHome(Object* fn, const Value& self, std::span<const Value> args, Object* home);
    bool instanceOf(const Value& v, Object* ctor);

    bool equals(const Value& a, const Value& b);      // ActionEquals2
    bool strictEquals(const Value& a, const Value& b) const;
    Value lessThan(const Value& a, const Value& b);  // boolean, or undefined when NaN is involved
    Value add(const Value& a, const Value& b);        // ActionAdd2

    // Script errors: `throwValue` starts a script exception; `abort` stops the whole entry.
    void throwValue(const Value& v);
    void abort(std::string_view reason);
    bool unwinding() const { return thrown_.has_value() || aborted_; }
    bool aborted() const { return aborted_; }

    void trace(const Value& v);
    // Counts the bytes of a text a script builds; past the entry's budget the script is stopped.
    // Returns false when the text must not be built.
    bool chargeText(size_t bytes);
    // The clip a path names from `base` ("/a/b", "../c", "_root.a", "_level1"), or kNoClip.
    ClipId resolveTarget(ClipId base, std::string_view path);
    std::string targetPath(ClipId clip, bool slashes);
    ClipId currentTarget() const;

    // Registered classes: export name -> constructor.
    std::map<std::string, Object*> registeredClasses;

    struct Timer {
        int id;
        double due, interval;
        bool repeat;
        Value fn;          // function, or the object whose method is called
        std::string name;  // method name when fn is an object
        std::vector<Value> args;
    };
    std::vector<Timer> timers;
    int nextTimerId = 1;

    // Answers of the outside world (a file dialog no user can answer, a local connection's
    // message) reach scripts after the running ones: target.broadcastMessage(name, args...) when
    // `broadcast`, else target[name](args...).
    struct OutsideEvent {
        Value target;
        std::string name;
        std::vector<Value> args;
        bool broadcast = true;
        double dueMs = 0;  // not before this time of the frame clock
    };
    std::vector<OutsideEvent> outsideEvents;
    // Delivers the waiting events that are due, and those they cause, up to a bound per call.
    void runOutsideEvents();

private:
    friend struct Executor;
    Value runFrame(Frame& frame);
    Value callScript(Object* fn, const Value& self, std::span<const Value> args, Object* superObj,
                     bool constructing = false);
    Value callNative(Object* fn, const Value& self, std::span<const Value> args);
    void beginEntry();
    void endEntry();
    void markRoots(const std::function<void(Object*)>& mark);

    Host& host_;
    int swfVersion_;
    Limits limits_;
    Heap heap_;
    Object* global_ = nullptr;
    std::mt19937 random_{0x4b454c4d};
    std::unordered_map<ClipId, Object*> clipObjects_;
    std::vector<Frame*> frames_;     // running frames, for roots and the current target
    std::optional<Value> thrown_;
    bool aborted_ = false;
    int entryDepth_ = 0;
    double leftoverTime_ = -1;  // the frame clock when scripts last left values on the stack
    int nativeDepth_ = 0;
    uint64_t actionsLeft_ = 0;
    size_t textBytesLeft_ = 0;
    std::vector<Value> globalRegisters_;
    // The constant pool a timeline or event script declared last: the next script starts with it.
    std::shared_ptr<const std::vector<std::string>> lastConstants_;

public:
    std::vector<Value> stack;  // the operand stack, shared by all frames
    std::vector<Value>& globalRegisters() { return globalRegisters_; }
    void setLastConstants(std::shared_ptr<const std::vector<std::string>> pool) { lastConstants_ = std::move(pool); }
    const Limits& limits() const { return limits_; }
    std::optional<Value> takeThrown() { auto t = std::move(thrown_); thrown_.reset(); return t; }
    Frame* currentFrame() { return frames_.empty() ? nullptr : frames_.back(); }
    std::vector<Frame*>& frames() { return frames_; }
    uint64_t& actionsLeft() { return actionsLeft_; }
};

}  // namespace kelmora::player::avm1
