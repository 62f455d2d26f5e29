// MovieClip.transform: the matrix a script assigns moves, scales and skews the clip as _x and
// _xscale then report it; bad matrices leave the clip alone; assigning a Transform copies it.
#include <gtest/gtest.h>

#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::swf;
using kelmora::scripttest::runScript;

namespace {

// new flash.geom.<cls>(args...) left on the stack.
void newGeom(ActionBuilder& a, const std::string& cls, std::vector<PushValue> args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) a.push(*it);
    a.push(static_cast<int>(args.size())).push("flash").getVariable().push("geom").getMember().push(cls).newMethod();
}

// <clip>.transform.<member> = value on the stack is written by the caller after this.
void pushTransform(ActionBuilder& a, const std::string& clip) {
    a.push(clip).getVariable().push("transform").getMember();
}

void traceExpr(ActionBuilder& a, const std::string& clip, const std::string& prop) {
    a.push(clip).getVariable().push(prop).getMember().trace();
}

TEST(ClipTransform, MatrixAssignedByScriptMovesTheClip) {
    ActionBuilder a;
    for (const char* name : {"m", "n"}) {
        a.push(name == std::string("m") ? 1 : 2).push(name).push(2).push("_root").getVariable();
        a.push("createEmptyMovieClip").callMethod().pop();
    }
    pushTransform(a, "m");
    a.push("matrix");
    newGeom(a, "Matrix", {2, 0, 0, 0.5, 10.55, -3});
    a.setMember();
    for (const char* p : {"_x", "_y", "_xscale", "_yscale"}) traceExpr(a, "m", p);
    // A matrix holding NaN is refused; a non-object too.
    pushTransform(a, "m");
    a.push("matrix");
    newGeom(a, "Matrix", {1, 0, 0, 1, 0, 0});
    a.storeRegister(1).push("tx").push(0).push(0).divide().setMember();
    a.pushRegister(1).setMember();
    pushTransform(a, "m");
    a.push("matrix").push("junk").setMember();
    traceExpr(a, "m", "_xscale");
    // Reading back gives a Matrix in pixels.
    pushTransform(a, "m");
    a.push("matrix").getMember().push("tx").getMember().trace();
    // n.transform = m.transform copies the matrix and the colour transform.
    pushTransform(a, "m");
    a.push("colorTransform");
    newGeom(a, "ColorTransform", {0.5, 1, 1, 1, 10, 0, 0, 0});
    a.setMember();
    a.push("n").getVariable().push("transform");
    pushTransform(a, "m");
    a.setMember();
    for (const char* p : {"_x", "_xscale"}) traceExpr(a, "n", p);
    pushTransform(a, "n");
    a.push("colorTransform").getMember().push("redOffset").getMember().trace();
    EXPECT_EQ(runScript(a), (std::vector<std::string>{"10.55", "-3", "200", "50", "200", "10.55", "10.55", "200", "10"}));
}

}  // namespace
