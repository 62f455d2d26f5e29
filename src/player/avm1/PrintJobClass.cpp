// PrintJob (SWF 7): there is no printer. start() answers false, so no page is ever added or
// sent, and the page and paper sizes read 0.
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }
Value returnFalse(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value returnZero(Interpreter&, const Value&, std::span<const Value>) { return Value(0.0); }

}  // namespace

void installPrintJobClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "PrintJob", noop, proto);
    for (const char* name : {"start", "addPage", "send"}) {
        in.method(proto, name, name == std::string_view("send") ? noop : returnFalse);
        proto->findOwn(name)->flags |= kOnlySwf7Up;
    }
    // Read-only sizes, enumerable like the player's.
    for (const char* name : {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"})
        proto->setOwn(name, Value()).getter = in.newFunction(returnZero);
}

}  // namespace kelmora::player::avm1
