// Object.registerClass ties a class to a symbol, whichever of the symbol's export names is used.
#include <gtest/gtest.h>

#include <filesystem>

#include "player/Player.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

TEST(ClassRegistrationTest, AClassRegisteredUnderOneExportNameServesTheOthers) {
    auto file = std::filesystem::temp_directory_path() / "kelmora-register-class.swf";
    for (const char* registered : {"CCC", "ddd", "other"}) {
        SCOPED_TRACE(registered);
        SwfWriter movie(6);  // names without case
        movie.defineSprite(2, [](Timeline& t) { t.showFrame(); });
        movie.defineSprite(3, [](Timeline& t) { t.showFrame(); });
        movie.exportAssets({{2, "DDD"}, {2, "CCC"}, {3, "other"}});
        ActionBuilder made;
        made.push("made").trace();
        ActionBuilder script;
        script.defineFunction("C", {}, made);
        script.push({PushValue("C")}).getVariable().push({PushValue(registered), PushValue(2.0), PushValue("Object")});
        script.getVariable().push("registerClass").callMethod().pop();
        script.push({PushValue(1.0), PushValue("a"), PushValue("DDD"), PushValue(3.0), PushValue("_root")});
        script.getVariable().push("attachMovie").callMethod().pop();
        movie.doAction(script.end()).showFrame();
        ASSERT_TRUE(movie.writeFile(file.string()).ok());

        player::Player player;
        std::vector<std::string> lines;
        player.setTraceSink([&](const std::string& l) { lines.push_back(l); });
        ASSERT_TRUE(player.load(file.string()).ok());
        player.advance();
        // Symbol 3 is another symbol: its class is not symbol 2's.
        EXPECT_EQ(lines, std::string(registered) == "other" ? std::vector<std::string>{}
                                                             : std::vector<std::string>{"made"});
    }
    std::filesystem::remove(file);
}
