// System: what the player says of itself and its machine (System.capabilities), the security
// calls (nothing to allow: a local movie), and the settings a script may flip.
#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

constexpr const char* kVersion = "LNX 32,0,0,0";

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }
Value returnFalse(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }

// allowDomain and allowInsecureDomain: accepted when given a domain at all.
Value allowDomain(Interpreter&, const Value&, std::span<const Value> args) { return Value(!args.empty()); }

}  // namespace

const char* playerVersionString() { return kVersion; }

void installSystemDetails(Interpreter& in, Object* system) {
    Object* caps = in.newObject();
    system->define("capabilities", caps, kDontEnum);
    // Set in the reverse of the order the player lists them, since enumeration runs newest first.
    struct Flag { const char* name; bool value; };
    caps->define("hasAccessibility", Value(true), 0);
    caps->define("pixelAspectRatio", Value(1.0), 0);
    caps->define("screenColor", Value("color"), 0);
    caps->define("screenDPI", Value(72.0), 0);
    caps->define("screenResolutionY", Value(864.0), 0);
    caps->define("screenResolutionX", Value(1536.0), 0);
    for (Flag f : {Flag{"hasTLS", true}, {"hasVideoEncoder", true}, {"hasAudioEncoder", true}, {"hasMP3", true},
                   {"hasAudio", true}})
        caps->define(f.name, Value(f.value), 0);
    caps->define("serverString",
                 Value("A=t&SA=t&SV=t&EV=t&MP3=t&AE=t&VE=t&ACC=t&PR=t&SP=f&SB=f&DEB=f&V=LNX%2032%2C0%2C0%2C0"
                       "&M=Adobe%20Linux&R=1536x864&COL=color&AR=1.0&OS=Linux&ARCH=x86&L=en&IME=f&PR32=f&PR64=t"
                       "&PT=StandAlone&AVD=f&LFD=f&WD=f&TLS=t&ML=5.1&DP=72"),
                 0);
    caps->define("version", Value(kVersion), 0);
    for (Flag f : {Flag{"hasStreamingAudio", true}, {"hasStreamingVideo", true}, {"hasEmbeddedVideo", true},
                   {"hasPrinting", true}, {"hasScreenPlayback", false}, {"hasScreenBroadcast", false},
                   {"isDebugger", false}})
        caps->define(f.name, Value(f.value), 0);
    caps->define("playerType", Value("StandAlone"), 0);
    for (Flag f : {Flag{"avHardwareDisable", false}, {"localFileReadDisable", false}, {"windowlessDisable", false}})
        caps->define(f.name, Value(f.value), 0);
    caps->define("maxLevelIDC", Value("5.1"), 0);
    caps->define("isEmbeddedInAcrobat", Value(false), 0);
    caps->define("manufacturer", Value("Adobe Linux"), 0);
    caps->define("os", Value("Linux"), 0);
    caps->define("cpuArchitecture", Value("x86"), 0);
    caps->define("cpuAddressSize", Value(64.0), 0);
    caps->define("language", Value("en"), 0);
    caps->define("hasIME", Value(false), 0);
    caps->define("supports32BitProcesses", Value(false), 0);
    caps->define("supports64BitProcesses", Value(true), 0);

    Object* security = in.newObject();
    system->define("security", security, kDontEnum);
    // A local movie; the root movie's attributes may say it reaches the network instead.
    security->define("sandboxType", Value("localWithFile"), kDontEnum);
    in.method(security, "allowDomain", allowDomain);
    in.method(security, "allowInsecureDomain", allowDomain);
    in.method(security, "loadPolicyFile", noop);

    system->define("exactSettings", Value(true), kDontEnum);
    system->define("useCodepage", Value(false), kDontEnum);
    in.method(system, "showSettings", noop);

    // System.Product: launching or downloading other programs is not something a movie may do here.
    Object* product = in.newObject();
    in.makeClass(system, "Product", noop, product);
    in.method(product, "launch", returnFalse);
    in.method(product, "download", returnFalse);
    in.method(product, "isInstalled", returnFalse);
    in.method(product, "isRunning", returnFalse);
}

void installAccessibility(Interpreter& in) {
    // No screen reader is ever attached.
    Object* acc = in.newObject();
    in.global()->define("Accessibility", acc, kDontEnum);
    in.method(acc, "isActive", returnFalse);
    in.method(acc, "updateProperties", noop);
    in.method(acc, "sendEvent", noop);
    for (const char* name : {"isActive", "updateProperties", "sendEvent"}) acc->findOwn(name)->flags |= kOnlySwf6Up;
}

void setSandboxType(Interpreter& in, std::string_view type) {
    Object* system = in.getMember(in.global(), "System").object();
    Object* security = system ? in.getMember(system, "security").object() : nullptr;
    if (security) security->define("sandboxType", Value(std::string(type)), kDontEnum);
}

}  // namespace kelmora::player::avm1
