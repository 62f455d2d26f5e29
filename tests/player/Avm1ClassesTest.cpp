// Built-in classes called the way scripts call them (construct, method calls, member reads),
// for the rules the traced corpus does not pin down.
#include <gtest/gtest.h>

#include "Avm1FakeHost.h"

namespace kelmora::player::avm1 {
namespace {

using testing::FakeHost;

struct Classes {
    FakeHost host;
    Interpreter in{host, 8};
    Classes() { host.in = &in; }

    Value make(std::string_view cls, std::vector<Value> args = {}) {
        return in.construct(in.getMember(Value(in.global()), cls), args);
    }
    Value call(const Value& o, std::string_view name, std::vector<Value> args = {}) {
        return in.callMethodOf(o, name, args);
    }
    std::string text(const Value& v) { return v.isUndefined() ? "undefined" : in.toString(v); }
};

TEST(Avm1ClassesTest, XmlParsesToATreeAndPrintsItBack) {
    Classes c;
    struct Case {
        const char* source;
        bool ignoreWhite;
        const char* printed;
        double status;
    };
    for (const Case& k : {
             Case{"<a x=\"1\"><b>t &amp; &lt;u&gt;</b><c/></a>", false, "<a x=\"1\"><b>t &amp; &lt;u&gt;</b><c /></a>", 0},
             Case{"<a>  <b/>  </a>", true, "<a><b /></a>", 0},
             Case{"<a>  <b/></a>", false, "<a>  <b /></a>", 0},
             Case{"<?xml version=\"1.0\"?><a><![CDATA[<raw>]]><!-- gone --></a>", false,
                  "<?xml version=\"1.0\"?><a>&lt;raw&gt;</a>", 0},
             Case{"<a>&#65;&unknown;</a>", false, "<a>A&amp;unknown;</a>", 0},
             Case{"<a><b></a>", false, "<a><b /></a>", -9},
             Case{"</a>", false, "", -10},
             Case{"<a><!-- open", false, "<a />", -5},
             Case{"<a x=\"1>", false, "<a />", -8},
             Case{"<a><![CDATA[x", false, "<a />", -2},
         }) {
        Value doc = c.make("XML");
        c.in.setMember(doc, "ignoreWhite", Value(k.ignoreWhite));
        c.call(doc, "parseXML", {Value(k.source)});
        EXPECT_EQ(c.text(doc), k.printed) << k.source;
        EXPECT_EQ(c.in.toNumber(c.in.getMember(doc, "status")), k.status) << k.source;
    }
}

TEST(Avm1ClassesTest, XmlNodesMoveBetweenParentsButNeverIntoThemselves) {
    Classes c;
    Value doc = c.make("XML", {Value("<a><b/></a><c/>")});
    Value a = c.in.getMember(doc, "firstChild");
    Value b = c.in.getMember(a, "firstChild");
    Value cNode = c.in.getMember(doc, "lastChild");

    c.call(b, "appendChild", {a});  // a is b's ancestor: refused
    EXPECT_EQ(c.text(doc), "<a><b /></a><c />");
    c.call(doc, "insertBefore", {b, cNode});  // taken from a, put before c
    EXPECT_EQ(c.text(doc), "<a /><b /><c />");
    EXPECT_TRUE(c.in.strictEquals(c.in.getMember(b, "parentNode"), doc));
    EXPECT_TRUE(c.in.getMember(a, "firstChild").isNull());
    EXPECT_EQ(c.in.toNumber(c.in.getMember(c.in.getMember(doc, "childNodes"), "length")), 3);

    c.call(b, "removeNode");
    EXPECT_EQ(c.text(doc), "<a /><c />");
    EXPECT_TRUE(c.in.getMember(b, "parentNode").isNull());
    EXPECT_TRUE(c.in.strictEquals(c.in.getMember(a, "nextSibling"), cNode));

    // A deep clone is a separate tree; a shallow one keeps only the node and its attributes.
    Value tree = c.make("XML", {Value("<p k=\"v\"><q/></p>")});
    Value p = c.in.getMember(tree, "firstChild");
    EXPECT_EQ(c.text(c.call(p, "cloneNode", {Value(true)})), "<p k=\"v\"><q /></p>");
    EXPECT_EQ(c.text(c.call(p, "cloneNode", {Value(false)})), "<p k=\"v\" />");
    // Children and attributes live in the node's native state: a collection must keep them.
    c.in.global()->setOwn("kept", tree);
    c.in.collectGarbage();
    EXPECT_EQ(c.text(tree), "<p k=\"v\"><q /></p>");
}

TEST(Avm1ClassesTest, SoundSettingsBelongToTheClipAndVanishWithIt) {
    Classes c;
    ClipId mc = c.host.addChild(1, "mc");
    Value first = c.make("Sound", {Value(c.in.clipObject(mc))});
    Value second = c.make("Sound", {Value("mc")});
    Value global = c.make("Sound");
    c.call(first, "setVolume", {Value(40)});
    c.call(global, "setPan", {Value(-20)});
    EXPECT_EQ(c.text(c.call(second, "getVolume")), "40");
    EXPECT_EQ(c.text(c.call(second, "getPan")), "0");
    EXPECT_EQ(c.text(c.call(global, "getPan")), "-20");
    EXPECT_EQ(c.text(c.call(global, "getDuration")), "undefined");  // nothing attached

    // A Sound made on a clip object follows the clip's path: renamed, the clip is not found.
    c.host.clips[mc].name = "other";
    EXPECT_EQ(c.text(c.call(first, "getVolume")), "undefined");
    c.host.clips[mc].name = "mc";
    EXPECT_EQ(c.text(c.call(first, "getVolume")), "40");

    c.host.removeClip(mc);
    EXPECT_EQ(c.text(c.call(first, "getVolume")), "undefined");
    EXPECT_EQ(c.text(c.call(second, "getTransform")), "undefined");
}

TEST(Avm1ClassesTest, ColorTransformsWrapInSixteenBitsAndReadOnlyOwnFields) {
    Classes c;
    ClipId mc = c.host.addChild(1, "mc");
    Value color = c.make("Color", {Value(c.in.clipObject(mc))});
    Object* t = c.in.newObject();
    c.in.setMember(t, "aa", Value(12800));   // 32768 in 8.8 fixed point: wraps to -32768
    c.in.setMember(t, "rb", Value(-50));
    c.in.setMember(t, "gb", Value());        // an own undefined field is 0
    c.in.setMember(t, "bb", Value(25));
    c.in.newObject()->proto()->setOwn("ab", Value(99));  // inherited fields are ignored
    c.call(color, "setTransform", {Value(t)});
    c.in.newObject()->proto()->removeOwn("ab");
    const ColorTransform& cx = c.host.clips[mc].color;
    EXPECT_EQ(cx.aMult, -32768);
    EXPECT_EQ(cx.rAdd, -50);
    EXPECT_EQ(cx.gAdd, 0);
    EXPECT_EQ(cx.aAdd, 0);
    // Signed offsets fill the bits above them.
    EXPECT_EQ(c.text(c.call(color, "getRGB")), "-3276775");
    EXPECT_EQ(c.text(c.call(c.make("Color", {Value("")}), "getRGB")), "undefined");
}

TEST(Avm1ClassesTest, PointHelpersFollowTheScriptsRulesForTheirArguments) {
    Classes c;
    Value point = c.in.getMember(c.in.getMember(Value(c.in.global()), "flash"), "geom");
    point = c.in.getMember(point, "Point");
    Value p1 = c.in.construct(point, std::vector<Value>{Value(-20), Value(0)});
    Value p2 = c.in.construct(point, std::vector<Value>{Value("10"), Value("0")});
    // interpolate adds to the second point's own values with +, joining strings.
    EXPECT_EQ(c.text(c.call(c.call(point, "interpolate", {p1, p2, Value(1)}), "toString")), "(x=10-30, y=00)");
    Object* plain = c.in.newObject();
    c.in.setMember(plain, "x", Value(3));
    c.in.setMember(plain, "y", Value(4));
    EXPECT_EQ(c.text(c.call(point, "distance", {Value(plain), p1})), "undefined");
    EXPECT_EQ(c.text(c.call(point, "distance", {p1, Value(plain)})), "23.3452350598575");
}

TEST(Avm1ClassesTest, OlderMoviesHideTheFlashPackagesButKeepThemWhole) {
    for (int version : {6, 8}) {
        FakeHost host;
        Interpreter in{host, version};
        host.in = &in;
        EXPECT_EQ(in.getMember(Value(in.global()), "flash").isUndefined(), version < 8);
        // A script may reveal the package; all of its parts must then be there.
        Object* flash = nullptr;
        for (Property& p : in.global()->rawProperties())
            if (p.name == "flash") flash = p.value.object();
        ASSERT_NE(flash, nullptr);
        for (auto [package, cls] : {std::pair{"geom", "Transform"}, {"geom", "Point"}, {"filters", "BlurFilter"},
                                    {"display", "BitmapData"}, {"external", "ExternalInterface"}})
            EXPECT_EQ(in.typeOf(in.getMember(in.getMember(Value(flash), package), cls)), "function")
                << package << "." << cls << " in SWF " << version;
    }
}

TEST(Avm1ClassesTest, SoundShowsOlderMoviesOnlyWhatTheirVersionHad) {
    for (int version : {5, 6}) {
        FakeHost host;
        Interpreter in{host, version};
        host.in = &in;
        Value s = in.construct(in.getMember(Value(in.global()), "Sound"), {});
        for (const char* name : {"loadSound", "getDuration", "setPosition", "checkPolicyFile"})
            EXPECT_EQ(in.getMember(s, name).isUndefined(), version < 6) << name << " in SWF " << version;
        EXPECT_EQ(in.typeOf(in.getMember(s, "setVolume")), "function");
    }
}

TEST(Avm1ClassesTest, BroadcasterListenersCompareLooselyAndMoveToTheEnd) {
    Classes c;
    Value b = c.make("Object");
    c.call(c.in.getMember(Value(c.in.global()), "AsBroadcaster"), "initialize", {b});
    Value listeners = c.in.getMember(b, "_listeners");
    Value one = c.make("Object");
    c.call(b, "addListener", {Value()});
    c.call(b, "addListener", {Value::null()});  // replaces undefined
    c.call(b, "addListener", {one});
    c.call(b, "addListener", {Value::null()});  // moves to the end
    EXPECT_EQ(c.in.toNumber(c.in.getMember(listeners, "length")), 2);
    EXPECT_TRUE(c.in.getMember(listeners, "1").isNull());
    EXPECT_TRUE(c.call(b, "removeListener", {Value()}).boolean());
    EXPECT_FALSE(c.call(b, "removeListener", {Value()}).boolean());
}

int watcherCalls = 0;
Value rewritingWatcher(Interpreter& in, const Value& self, std::span<const Value> args) {
    ++watcherCalls;
    in.setMember(self, "p", Value("inside"));  // must not call the watcher again
    return args.size() > 2 ? Value(in.toString(args[2]) + "!") : Value();
}

TEST(Avm1ClassesTest, AWatcherIsNotCalledForAssignmentsItMakesItself) {
    Classes c;
    Value o = c.make("Object");
    c.call(o, "watch", {Value("p"), Value(c.in.newFunction(rewritingWatcher))});
    c.in.setMember(o, "p", Value("a"));
    EXPECT_EQ(watcherCalls, 1);
    EXPECT_EQ(c.text(c.in.getMember(o, "p")), "a!");
    c.in.setMember(o, "p", Value("b"));  // still watched afterwards
    EXPECT_EQ(watcherCalls, 2);
}

}  // namespace
}  // namespace kelmora::player::avm1
