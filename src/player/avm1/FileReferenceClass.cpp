// flash.net.FileReference and FileReferenceList. No user is there to answer their dialogs: a
// browse or download that would open one answers true, and the dialog is cancelled once the
// running scripts end. No file is ever chosen, so nothing is uploaded.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

constexpr double kMaxFilters = 10000;

// A filter's own text property: false when it is missing, its getter throws or it is empty. A
// conversion that throws leaves the exception running (the caller sees in.unwinding()).
bool filterText(Interpreter& in, Object* filter, std::string_view name, bool required) {
    if (!filter->findOwn(name)) return !required;
    Value v = in.getMember(filter, name);
    if (in.unwinding()) {
        if (!in.aborted()) in.takeThrown();
        return false;
    }
    const std::string text = in.toString(v);
    if (in.unwinding()) return false;
    return !required || !text.empty();
}

// The type list of browse(): an array of objects, each with its own description and extension.
bool validTypeList(Interpreter& in, std::span<const Value> args) {
    if (args.empty()) return true;
    Object* list = args[0].object();
    if (!list) return false;
    const double length = in.toNumber(in.getMember(list, "length"));
    if (in.unwinding() || !(length >= 1) || length > kMaxFilters) return false;
    for (int i = 0; i < static_cast<int>(length); ++i) {
        Object* filter = in.getMember(list, std::to_string(i)).object();
        if (in.unwinding() || !filter) return false;
        for (const char* name : {"description", "extension"})
            if (!filterText(in, filter, name, true)) return false;
        if (!filterText(in, filter, "macType", false)) return false;
    }
    return true;
}

// An address with a scheme ("http://host/..."), the only kind a download may name.
bool absoluteUrl(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= url.size()) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = url[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
    }
    return true;
}

Value browse(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!self.object() || !validTypeList(in, args)) return Value(false);
    Value file[] = {self};
    broadcastLater(in, self, "onCancel", file);
    return Value(true);
}

Value download(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!self.object() || args.empty()) return Value(false);
    const std::string url = in.toString(args[0]);
    if (in.unwinding() || !absoluteUrl(url)) return Value(false);
    Value file[] = {self};
    broadcastLater(in, self, "onCancel", file);
    return Value(true);
}

Value returnFalse(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

Value broadcasterCtor(Interpreter& in, const Value& self, std::span<const Value>) {
    if (self.object()) initializeBroadcaster(in, self);
    return Value();
}

}  // namespace

void initializeBroadcaster(Interpreter& in, const Value& self) {
    Value broadcaster = in.getMember(Value(in.global()), "AsBroadcaster");
    Value args[] = {self};
    in.callMethodOf(broadcaster, "initialize", args);
}

void broadcastLater(Interpreter& in, const Value& target, std::string_view event, std::span<const Value> args) {
    in.outsideEvents.push_back({target, std::string(event), std::vector<Value>(args.begin(), args.end()), true});
}

void installFileReferenceClasses(Interpreter& in) {
    Object* package = packageObject(in, "flash.net");
    Object* proto = in.newObject();
    in.makeClass(package, "FileReference", broadcasterCtor, proto);
    in.method(proto, "browse", browse);
    in.method(proto, "download", download);
    in.method(proto, "upload", returnFalse);  // no file was ever chosen
    in.method(proto, "cancel", noop);

    Object* listProto = in.newObject();
    in.makeClass(package, "FileReferenceList", broadcasterCtor, listProto);
    in.method(listProto, "browse", browse);
}

}  // namespace kelmora::player::avm1
