// BitmapData, flash.geom and flash.filters called the way scripts call them: size limits,
// hostile arguments and the pixel rounding the corpus relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Avm1FakeHost.h"
#include "player/avm1/BitmapData.h"

namespace kelmora::player::avm1 {
namespace {

using testing::FakeHost;

struct Script {
    FakeHost host;
    Interpreter in;
    explicit Script(int version = 8) : in(host, version) { host.in = &in; }

    Value cls(std::string_view package, std::string_view name) {
        return in.getMember(in.getMember(in.getMember(Value(in.global()), "flash"), package), name);
    }
    Value make(std::string_view package, std::string_view name, std::vector<Value> args = {}) {
        return in.construct(cls(package, name), args);
    }
    Value bitmap(int w, int h, bool transparent = true, double fill = 0xFFFFFFFF) {
        return make("display", "BitmapData", {Value(w), Value(h), Value(transparent), Value(fill)});
    }
    Value call(const Value& o, std::string_view name, std::vector<Value> args = {}) {
        return in.callMethodOf(o, name, args);
    }
    Value rect(double x, double y, double w, double h) {
        return make("geom", "Rectangle", {Value(x), Value(y), Value(w), Value(h)});
    }
    Value point(double x, double y) { return make("geom", "Point", {Value(x), Value(y)}); }
};

TEST(Avm1BitmapDataTest, SizesAreBoundedByTheMovieVersion) {
    struct Case {
        int version;
        double width, height;
        bool made;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& k : {Case{8, 2880, 2880, true}, Case{8, 2881, 1, false}, Case{8, 1, 2881, false},
                          Case{10, 8191, 1, true}, Case{10, 8192, 1, false}, Case{10, 4095, 4096, true},
                          Case{10, 4096, 4096, false}, Case{10, 0, 5, false}, Case{10, -1, 5, false},
                          Case{10, nan, 5, false}, Case{10, 1e300, 1e300, false}, Case{10, 4294967297.0, 1, true}}) {
        Script s(k.version);
        Value b = s.make("display", "BitmapData", {Value(k.width), Value(k.height)});
        EXPECT_EQ(b.isObject(), k.made) << k.version << " " << k.width << "x" << k.height;
    }
}

TEST(Avm1BitmapDataTest, PixelsKeepThePlayersPremultipliedRounding) {
    struct Case {
        uint32_t stored, read;
    };
    for (const Case& k : {Case{0x12345678, 0x12395571}, Case{0xAABBCCDD, 0xAABBCCDC}, Case{0x98755432, 0x98755432},
                          Case{0x80FFFFFF, 0x80FFFFFF}, Case{0x00FFFFFF, 0}, Case{0x01FFFFFF, 0x01FFFFFF},
                          Case{0xFF010203, 0xFF010203}}) {
        EXPECT_EQ(unpremultiply(premultiply(k.stored)), k.read) << std::hex << k.stored;
        Script s;
        Value b = s.bitmap(2, 2);
        s.call(b, "setPixel32", {Value(1), Value(1), Value(double(k.stored))});
        EXPECT_EQ(toUint32(s.in.toNumber(s.call(b, "getPixel32", {Value(1), Value(1)}))), k.read) << std::hex << k.stored;
    }
}

TEST(Avm1BitmapDataTest, HostileArgumentsStayInsideTheBitmap) {
    Script s;
    Value b = s.bitmap(40, 30);
    const double big = 2147483647.0, huge = 1e300, nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {big, -big, huge, -huge, nan}) {
        s.call(b, "fillRect", {s.rect(v, v, v, v), Value(double(0xFF00FF00u))});
        s.call(b, "copyPixels", {b, s.rect(v, 0, 40, 30), s.point(v, v)});
        s.call(b, "copyPixels", {b, s.rect(0, 0, v, v), s.point(-v, 3), b, s.point(v, -v), Value(true)});
        s.call(b, "scroll", {Value(v), Value(-v)});
        s.call(b, "setPixel32", {Value(v), Value(v), Value(0)});
        s.call(b, "floodFill", {Value(v), Value(0), Value(0)});
        s.call(b, "merge", {b, s.rect(v, v, 10, 10), s.point(v, 0), Value(v), Value(v), Value(v), Value(v)});
        s.call(b, "threshold", {b, s.rect(0, 0, v, 5), s.point(0, v), Value("=="), Value(0), Value(1)});
        s.call(b, "hitTest", {s.point(v, v), Value(1), b, s.point(-v, v), Value(1)});
        s.call(b, "pixelDissolve", {b, s.rect(0, 0, 40, 30), s.point(v, 0), Value(v), Value(v)});
        s.call(b, "applyFilter", {b, s.rect(v, 0, 40, 30), s.point(0, v), s.make("filters", "BlurFilter", {Value(v), Value(v), Value(v)})});
        s.call(b, "draw", {b, s.make("geom", "Matrix", {Value(v), Value(0), Value(0), Value(v), Value(v), Value(v)})});
    }
    EXPECT_EQ(s.in.toNumber(s.in.getMember(b, "width")), 40);
    // A flood over the whole largest bitmap uses no recursion.
    Value wide = s.bitmap(2880, 2880, false, 0);
    EXPECT_EQ(s.in.toNumber(s.call(wide, "floodFill", {Value(5), Value(5), Value(double(0xFF123456u))})), 1);
    EXPECT_EQ(toUint32(s.in.toNumber(s.call(wide, "getPixel32", {Value(2879), Value(2879)}))), 0xFF123456u);
}

TEST(Avm1BitmapDataTest, FilterPropertiesAreClampedAsThePlayerKeepsThem) {
    Script s;
    struct Case {
        const char* cls;
        const char* property;
        Value set;
        const char* read;
    };
    for (const Case& k : {Case{"BlurFilter", "blurX", Value(256), "255"}, Case{"BlurFilter", "blurY", Value(-1), "0"},
                          Case{"BlurFilter", "quality", Value(100), "15"}, Case{"BlurFilter", "quality", Value(2.5), "2"},
                          Case{"GlowFilter", "alpha", Value(0.5), "0.498039215686275"},
                          Case{"GlowFilter", "color", Value(-305419896.0), "13347208"},
                          Case{"BevelFilter", "type", Value("INNER"), "full"},
                          Case{"DropShadowFilter", "angle", Value(361), "1"},
                          Case{"DropShadowFilter", "strength", Value(256), "255"}}) {
        Value f = s.make("filters", k.cls);
        s.in.setMember(f, k.property, k.set);
        EXPECT_EQ(s.in.toString(s.in.getMember(f, k.property)), k.read) << k.cls << "." << k.property;
    }
}

TEST(Avm1BitmapDataTest, FilterObjectsListTheirPropertiesAndKeepTheirMatrixAsThePlayerDoes) {
    Script s;
    // for..in hands out clone first, then the properties newest first.
    std::string listed;
    for (const std::string& name : s.in.enumerate(s.make("filters", "BlurFilter").object())) listed += name + " ";
    EXPECT_EQ(listed, "clone quality blurY blurX ");
    // The default angle is the player's own 45 degrees; a colour matrix keeps NaN, pads with NaN
    // and keeps what it had when set to nothing.
    EXPECT_EQ(s.in.toString(s.in.getMember(s.make("filters", "DropShadowFilter"), "angle")), "44.9999999772279");
    Value m = s.make("filters", "ColorMatrixFilter", {Value(s.in.newArray(std::vector<Value>{Value(2), Value("x")}))});
    Value read = s.in.getMember(m, "matrix");
    EXPECT_EQ(s.in.toString(s.in.getMember(read, "0")) + " " + s.in.toString(s.in.getMember(read, "1")) + " " +
                  s.in.toString(s.in.getMember(read, "19")) + " " + s.in.toString(s.in.getMember(read, "length")),
              "2 NaN NaN 20");
    s.in.setMember(m, "matrix", Value::null());
    EXPECT_EQ(s.in.toString(s.in.getMember(s.in.getMember(m, "matrix"), "0")), "2");

    // A convolution's size is whole numbers to 15 and its matrix is never shorter than the size.
    struct Step {
        const char* property;
        Value set;
        const char* matrix;
    };
    Value c = s.make("filters", "ConvolutionFilter");
    for (const Step& k : {Step{"matrix", Value("AB"), "NaN,NaN"}, Step{"matrixX", Value(2.5), "NaN,NaN"},
                          Step{"matrixY", Value(2), "NaN,NaN,0,0"}, Step{"matrix", Value(1234), "0,0,0,0"},
                          Step{"matrixX", Value(100), "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}}) {
        s.in.setMember(c, k.property, k.set);
        EXPECT_EQ(s.in.toString(s.in.getMember(c, "matrix")), k.matrix) << k.property;
    }
    EXPECT_EQ(s.in.toString(s.in.getMember(c, "matrixX")), "15");
}

}  // namespace
}  // namespace kelmora::player::avm1
