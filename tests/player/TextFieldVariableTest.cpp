// Text fields bound to a variable: the field shows the variable again only when it changes.
#include <gtest/gtest.h>

#include "ScriptTestMovies.h"

using kelmora::scripttest::callOn;
using kelmora::scripttest::runScript;
using kelmora::swf::ActionBuilder;

namespace {

void traceMember(ActionBuilder& a, const std::string& object, const std::string& member) {
    a.push(object).getVariable().push(member).getMember().trace();
}

TEST(TextFieldVariable, FieldKeepsATextItsVariableCouldNotTake) {
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
    callOn(a, "mc", "createTextField", {"t", 1, 0, 0, 100, 20}).pop();
    a.push("mc").getVariable().push("v").push("first").setMember();
    a.push("mc.t").getVariable().push("variable").push("v").setMember();
    traceMember(a, "mc.t", "text");
    a.push("mc.t").getVariable().push("text").push("second").setMember();  // the variable follows
    traceMember(a, "mc", "v");
    // Read-only now: the field's new text stays although the variable keeps its own.
    a.push(7).push(7).pushNull().push("mc").getVariable().push(4).push("ASSetPropFlags").callFunction().pop();
    a.push("mc.t").getVariable().push("text").push("third").setMember();
    traceMember(a, "mc", "v");
    traceMember(a, "mc.t", "text");
    const std::vector<std::string> want = {"first", "second", "second", "third"};
    EXPECT_EQ(runScript(a, 7), want);
}

}  // namespace
