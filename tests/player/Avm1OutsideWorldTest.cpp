// The classes of the outside world: dialogs no user answers, local connections between movies,
// values copied the way the player serialises them, and the menus and print jobs a movie builds.
#include <gtest/gtest.h>

#include "Avm1FakeHost.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {
namespace {

using testing::FakeHost;

struct World {
    FakeHost host;
    Interpreter in{host, 8};
    World() { host.in = &in; }

    Value global(std::string_view path) {
        Value at(in.global());
        while (!path.empty()) {
            const size_t dot = path.find('.');
            at = in.getMember(at, path.substr(0, dot));
            path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        }
        return at;
    }
    Value make(std::string_view cls, std::vector<Value> args = {}) { return in.construct(global(cls), args); }
    Value call(const Value& o, std::string_view name, std::vector<Value> args = {}) {
        return in.callMethodOf(o, name, args);
    }
    // An object whose `name` method records its first argument in `got`.
    Value recorder(std::string_view name) {
        Object* o = in.newObject();
        in.setMember(o, name, Value(in.newFunction([](Interpreter& i, const Value& self, std::span<const Value> a) {
                         i.setMember(self, "got", arg(a, 0));
                         i.setMember(self, "calls", Value(i.toNumber(i.getMember(self, "calls")) + 1));
                         return Value();
                     })));
        in.setMember(o, "calls", Value(0.0));
        return Value(o);
    }
};

TEST(Avm1OutsideWorldTest, FileDialogsCheckTheirTypeListsAndAreCancelledAfterTheScripts) {
    World w;
    auto filter = [&](std::vector<std::pair<const char*, Value>> props) {
        Object* f = w.in.newObject();
        for (auto& [n, v] : props) f->setOwn(n, v);
        return Value(f);
    };
    const Value good = filter({{"description", Value("Text")}, {"extension", Value("*.txt")}});
    struct Case {
        const char* what;
        std::vector<Value> args;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"no list", {}, true},
        {"one good filter", {Value(w.in.newArray(std::vector<Value>{good}))}, true},
        {"empty list", {Value(w.in.newArray())}, false},
        {"a string", {Value("*.txt")}, false},
        {"undefined", {Value()}, false},
        {"a non-object filter", {Value(w.in.newArray(std::vector<Value>{Value(3.0)}))}, false},
        {"empty extension",
         {Value(w.in.newArray(std::vector<Value>{filter({{"description", Value("d")}, {"extension", Value("")}})}))},
         false},
        {"no description", {Value(w.in.newArray(std::vector<Value>{filter({{"extension", Value("*.a")}})}))}, false},
    };
    for (const char* cls : {"flash.net.FileReference", "flash.net.FileReferenceList"}) {
        for (const Case& k : cases) {
            Value dialog = w.make(cls);
            Value listener = w.recorder("onCancel");
            w.call(dialog, "addListener", {listener});
            EXPECT_EQ(w.in.toBoolean(w.call(dialog, "browse", k.args)), k.accepted) << cls << ": " << k.what;
            // The answer never comes inside the script that asked.
            EXPECT_EQ(w.in.toNumber(w.in.getMember(listener, "calls")), 0) << k.what;
            w.in.runOutsideEvents();
            EXPECT_EQ(w.in.toNumber(w.in.getMember(listener, "calls")), k.accepted ? 1 : 0) << cls << ": " << k.what;
            if (k.accepted) {
                EXPECT_TRUE(w.in.strictEquals(w.in.getMember(listener, "got"), dialog)) << k.what;
            }
        }
    }
    // A download needs an address with a scheme; nothing is ever uploaded.
    Value file = w.make("flash.net.FileReference");
    EXPECT_FALSE(w.in.toBoolean(w.call(file, "download", {})));
    for (const char* url : {"@", "baddomain", ":x", "1http://a"})
        EXPECT_FALSE(w.in.toBoolean(w.call(file, "download", {Value(url)}))) << url;
    EXPECT_TRUE(w.in.toBoolean(w.call(file, "download", {Value("http://example.com"), Value("a.txt")})));
    EXPECT_FALSE(w.in.toBoolean(w.call(file, "upload", {Value("http://example.com")})));
    w.in.runOutsideEvents();
    EXPECT_TRUE(w.in.outsideEvents.empty());

    // A socket that may be tried fails after the scripts; one no port can name is refused.
    Value socket = w.make("XMLSocket");
    w.in.setMember(socket, "calls", Value(0.0));
    w.in.setMember(socket, "onConnect", w.in.getMember(w.recorder("onConnect"), "onConnect"));
    w.in.setMember(socket, "onXML", w.in.getMember(w.recorder("onXML"), "onXML"));
    EXPECT_FALSE(w.in.toBoolean(w.call(socket, "connect", {Value("host"), Value(1090929898.0)})));
    EXPECT_TRUE(w.in.toBoolean(w.call(socket, "connect", {Value("host"), Value(8001.0)})));
    EXPECT_TRUE(w.in.getMember(socket, "got").isUndefined());
    w.in.runOutsideEvents();
    EXPECT_EQ(w.in.toNumber(w.in.getMember(socket, "calls")), 1);
    EXPECT_TRUE(w.in.getMember(socket, "got").isBoolean());
    EXPECT_FALSE(w.in.toBoolean(w.in.getMember(socket, "got")));
    w.call(socket, "onData", {Value("<a><b/></a>")});
    EXPECT_EQ(w.in.toString(w.in.getMember(socket, "got")), "<a><b /></a>");
}

TEST(Avm1OutsideWorldTest, AmfCopiesKeepDataAndSharingAndDropWhatCannotTravel) {
    World w;
    Object* shared = w.in.newObject();
    shared->setOwn("n", Value(1.0));
    Object* root = w.in.newObject();
    root->setOwn("a", Value(shared));
    root->setOwn("b", Value(shared));
    root->setOwn("self", Value(root));  // a cycle
    root->setOwn("date", w.make("Date", {Value(1672531200000.0)}));
    root->setOwn("fn", Value(w.in.newFunction([](Interpreter&, const Value&, std::span<const Value>) { return Value(7.0); })));
    Object* list = w.in.newArray(std::vector<Value>{Value("x"), Value("y")});
    list->setOwn("extra", Value(true));
    root->setOwn("list", Value(list));
    root->setOwn("doc", w.make("XML", {Value("<r><n a=\"1\"/></r>")}));

    Object* copy = amfCopy(w.in, Value(root)).object();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, root);
    Value a = w.in.getMember(copy, "a");
    EXPECT_NE(a.object(), shared);
    EXPECT_TRUE(w.in.strictEquals(a, w.in.getMember(copy, "b")));
    EXPECT_TRUE(w.in.strictEquals(w.in.getMember(copy, "self"), Value(copy)));
    EXPECT_EQ(w.in.toNumber(w.call(w.in.getMember(copy, "date"), "getTime")), 1672531200000.0);
    Object* fn = w.in.getMember(copy, "fn").object();
    ASSERT_NE(fn, nullptr);
    EXPECT_FALSE(fn->callable());
    Value l = w.in.getMember(copy, "list");
    EXPECT_EQ(w.in.toString(l), "x,y");
    EXPECT_TRUE(w.in.toBoolean(w.in.getMember(l, "extra")));
    EXPECT_EQ(w.in.toString(w.in.getMember(copy, "doc")), "<r><n a=\"1\" /></r>");

    // Nesting past what the player writes is cut off instead of recursing without end.
    Value deep(w.in.newObject());
    Value top = deep;
    for (int i = 0; i < 1000; ++i) {
        Value next(w.in.newObject());
        w.in.setMember(deep, "d", next);
        deep = next;
    }
    EXPECT_NE(amfCopy(w.in, top).object(), nullptr);
}

TEST(Avm1OutsideWorldTest, LocalConnectionsDeliverCopiesToTheNamedReceiver) {
    World w;
    Value receiver = w.make("LocalConnection");
    Value other = w.make("LocalConnection");
    Value sender = w.make("LocalConnection");
    EXPECT_TRUE(w.in.toBoolean(w.call(receiver, "connect", {Value("Chan")})));
    EXPECT_FALSE(w.in.toBoolean(w.call(other, "connect", {Value("chan")})));  // names ignore case
    EXPECT_FALSE(w.in.toBoolean(w.call(receiver, "connect", {Value("second")})));  // already connected
    EXPECT_FALSE(w.in.toBoolean(w.call(other, "connect", {Value(5.0)})));

    w.in.setMember(receiver, "take", w.recorder("take").object()->findOwn("take")->value);
    Value status = w.recorder("onStatus");
    w.in.setMember(sender, "onStatus", w.in.getMember(status, "onStatus"));
    Object* payload = w.in.newObject();
    payload->setOwn("v", Value(2.0));
    EXPECT_TRUE(w.in.toBoolean(w.call(sender, "send", {Value("CHAN"), Value("take"), Value(payload)})));
    EXPECT_FALSE(w.in.toBoolean(w.call(sender, "send", {Value("chan"), Value("connect")})));
    EXPECT_FALSE(w.in.toBoolean(w.call(sender, "send", {Value("chan")})));
    EXPECT_TRUE(w.in.getMember(receiver, "got").isUndefined());
    w.in.runOutsideEvents();
    Value got = w.in.getMember(receiver, "got");
    ASSERT_NE(got.object(), nullptr);
    EXPECT_NE(got.object(), payload);
    EXPECT_EQ(w.in.toNumber(w.in.getMember(got, "v")), 2);
    EXPECT_EQ(w.in.toString(w.in.getMember(w.in.getMember(sender, "got"), "level")), "status");

    // Closed, the name is free again and a message to it finds nobody.
    w.call(receiver, "close");
    EXPECT_TRUE(w.in.toBoolean(w.call(sender, "send", {Value("chan"), Value("take")})));
    w.in.runOutsideEvents();
    EXPECT_EQ(w.in.toString(w.in.getMember(w.in.getMember(sender, "got"), "level")), "error");
    EXPECT_TRUE(w.in.toBoolean(w.call(other, "connect", {Value("chan")})));
}

TEST(Avm1OutsideWorldTest, ContextMenuCopiesAreIndependentAndPrintJobSizesAreReadOnly) {
    World w;
    Value menu = w.make("ContextMenu");
    Value item = w.make("ContextMenuItem", {Value("Caption")});
    w.call(w.in.getMember(menu, "customItems"), "push", {item});
    Value copy = w.call(menu, "copy");
    w.call(menu, "hideBuiltInItems");
    EXPECT_FALSE(w.in.toBoolean(w.in.getMember(w.in.getMember(menu, "builtInItems"), "zoom")));
    EXPECT_TRUE(w.in.toBoolean(w.in.getMember(w.in.getMember(copy, "builtInItems"), "zoom")));
    Value copiedItem = w.in.getMember(w.in.getMember(copy, "customItems"), "0");
    EXPECT_NE(copiedItem.object(), item.object());
    EXPECT_EQ(w.in.toString(w.in.getMember(copiedItem, "caption")), "Caption");
    EXPECT_TRUE(w.in.toBoolean(w.in.getMember(copiedItem, "enabled")));

    Value job = w.make("PrintJob");
    w.in.setMember(job, "pageWidth", Value(100.0));
    EXPECT_EQ(w.in.toNumber(w.in.getMember(job, "pageWidth")), 0);
    EXPECT_FALSE(w.in.toBoolean(w.call(job, "start")));
}

TEST(Avm1OutsideWorldTest, ExternalInterfaceXmlTextsGoBackToTheSameValues) {
    World w;
    Value ei = w.global("flash.external.ExternalInterface");
    Object* o = w.in.newObject();
    o->setOwn("s", Value("a<b&\"c"));
    o->setOwn("n", Value(-2.5));
    o->setOwn("list", Value(w.in.newArray(std::vector<Value>{Value(true), Value::null(), Value()})));
    const std::string xml = w.in.toString(w.call(ei, "_toXML", {Value(o)}));
    EXPECT_EQ(xml,
              "<object><property id=\"list\"><array><property id=\"0\"><true/></property><property id=\"1\"><null/>"
              "</property><property id=\"2\"><undefined/></property></array></property><property id=\"n\"><number>"
              "-2.5</number></property><property id=\"s\"><string>a&lt;b&amp;&quot;c</string></property></object>");
    Value doc = w.make("XML", {Value(xml)});
    Value back = w.call(ei, "_toAS", {w.in.getMember(doc, "firstChild")});
    EXPECT_EQ(w.in.toString(w.in.getMember(back, "s")), "a<b&\"c");
    EXPECT_EQ(w.in.toNumber(w.in.getMember(back, "n")), -2.5);
    Value list = w.in.getMember(back, "list");
    EXPECT_TRUE(w.in.getMember(list, "0").isBoolean());
    EXPECT_TRUE(w.in.getMember(list, "1").isNull());
    EXPECT_EQ(w.in.toNumber(w.in.getMember(list, "length")), 3);
    // A value that contains itself (twice: written out it doubles at each level) is cut off.
    o->setOwn("self", Value(o));
    o->setOwn("again", Value(o));
    EXPECT_LT(w.in.toString(w.call(ei, "_toXML", {Value(o)})).size(), 4u << 20);
}

// A host with one local FLV file.
struct MediaHost : FakeHost {
    std::vector<uint8_t> flv;
    bool readMediaFile(ClipId, std::string_view url, std::vector<uint8_t>& bytes) override {
        if (url != "clip.flv") return false;
        bytes = flv;
        return true;
    }
};

// An FLV with onMetaData {duration: 0.5} and two video tags at 0 and 500 ms.
std::vector<uint8_t> smallFlv() {
    std::vector<uint8_t> f = {'F', 'L', 'V', 1, 1, 0, 0, 0, 9, 0, 0, 0, 0};
    auto tag = [&](uint8_t type, uint32_t time, const std::vector<uint8_t>& data) {
        const uint32_t n = static_cast<uint32_t>(data.size());
        f.insert(f.end(), {type, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), uint8_t(time >> 16), uint8_t(time >> 8),
                           uint8_t(time), uint8_t(time >> 24), 0, 0, 0});
        f.insert(f.end(), data.begin(), data.end());
        const uint32_t prev = n + 11;
        f.insert(f.end(), {uint8_t(prev >> 24), uint8_t(prev >> 16), uint8_t(prev >> 8), uint8_t(prev)});
    };
    std::vector<uint8_t> meta = {2, 0, 10};
    for (char c : std::string("onMetaData")) meta.push_back(static_cast<uint8_t>(c));
    meta.insert(meta.end(), {8, 0, 0, 0, 1, 0, 8});
    for (char c : std::string("duration")) meta.push_back(static_cast<uint8_t>(c));
    meta.insert(meta.end(), {0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0, 0, 0, 9});  // 0.5
    tag(18, 0, meta);
    tag(9, 0, {0x12, 0});
    tag(9, 500, {0x22, 0});
    return f;
}

TEST(Avm1OutsideWorldTest, NetConnectionsAnswerLocallyAndStreamsFollowTheFrameClock) {
    MediaHost host;
    host.flv = smallFlv();
    Interpreter in{host, 8};
    host.in = &in;
    auto make = [&](std::string_view cls, std::vector<Value> args = {}) {
        return in.construct(in.getMember(Value(in.global()), cls), args);
    };
    // Every status a handler hears, as "code" (or "none" when it carries nothing).
    std::vector<std::string> heard;
    static std::vector<std::string>* sink = nullptr;
    sink = &heard;
    Object* handler = in.newFunction([](Interpreter& i, const Value&, std::span<const Value> a) {
        sink->push_back(a.empty() ? "none" : i.toString(i.getMember(a[0], "code")));
        return Value();
    });

    Value nc = make("NetConnection");
    in.setMember(nc, "onStatus", Value(handler));
    in.callMethodOf(nc, "connect", std::vector<Value>{Value("http://example.org")});
    EXPECT_FALSE(in.toBoolean(in.getMember(nc, "isConnected")));
    in.callMethodOf(nc, "close", {});
    in.callMethodOf(nc, "connect", std::vector<Value>{Value::null()});
    in.callMethodOf(nc, "connect", std::vector<Value>{Value::null()});
    EXPECT_TRUE(in.toBoolean(in.getMember(nc, "isConnected")));
    EXPECT_EQ(heard, (std::vector<std::string>{"NetConnection.Connect.Closed", "none", "NetConnection.Connect.Success",
                                               "NetConnection.Connect.Closed", "NetConnection.Connect.Success"}));

    heard.clear();
    Value ns = make("NetStream", {nc});
    in.setMember(ns, "onStatus", Value(handler));
    in.callMethodOf(ns, "play", std::vector<Value>{Value("clip.flv")});
    EXPECT_TRUE(heard.empty());
    in.runOutsideEvents();
    EXPECT_EQ(heard, (std::vector<std::string>{"NetStream.Play.Start", "NetStream.Buffer.Full"}));
    // Seeking 0.2 s in at 100 ms brings the end to 400 ms.
    host.now = 100;
    in.callMethodOf(ns, "seek", std::vector<Value>{Value(0.2)});
    heard.clear();
    host.now = 399;
    in.runOutsideEvents();
    EXPECT_EQ(heard, (std::vector<std::string>{"NetStream.Seek.Notify"}));
    EXPECT_NEAR(in.toNumber(in.getMember(ns, "time")), 0.499, 1e-9);
    heard.clear();
    host.now = 400;
    in.runOutsideEvents();
    EXPECT_EQ(heard, (std::vector<std::string>{"NetStream.Buffer.Flush", "NetStream.Play.Stop", "NetStream.Buffer.Empty"}));

    // A paused stream never ends; a missing file is told as not found.
    heard.clear();
    in.callMethodOf(ns, "play", std::vector<Value>{Value("clip.flv")});
    in.callMethodOf(ns, "pause", {});
    host.now = 5000;
    in.runOutsideEvents();
    EXPECT_EQ(heard, (std::vector<std::string>{"NetStream.Play.Start", "NetStream.Buffer.Full"}));
    heard.clear();
    in.callMethodOf(ns, "play", std::vector<Value>{Value("missing.flv")});
    in.runOutsideEvents();
    EXPECT_EQ(heard, (std::vector<std::string>{"NetStream.Play.StreamNotFound"}));

    // Damaged files: cut anywhere, the stream still answers without reading past the bytes.
    const std::vector<uint8_t> whole = smallFlv();
    for (size_t cut = 0; cut < whole.size(); cut += 3) {
        host.flv.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        in.callMethodOf(ns, "play", std::vector<Value>{Value("clip.flv")});
        host.now += 1000;
        in.runOutsideEvents();
    }
    sink = nullptr;
}

}  // namespace
}  // namespace kelmora::player::avm1
