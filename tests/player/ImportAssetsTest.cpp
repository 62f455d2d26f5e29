// Characters imported from other movies: they play as part of their own movie (its version, its
// init actions), names missing from the library are skipped, and import cycles end.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

struct ImportRun {
    player::Player player;
    std::vector<std::string> lines;
    ImportRun() { player.setTraceSink([this](const std::string& l) { lines.push_back(l); }); }
    size_t count(const std::string& line) const { return static_cast<size_t>(std::count(lines.begin(), lines.end(), line)); }
};

// An ImportAssets (or ImportAssets2) tag body.
Bytes importTag(const std::string& url, const std::vector<std::pair<uint16_t, std::string>>& assets, bool second) {
    Bytes b(url.begin(), url.end());
    b.push_back(0);
    if (second) b.insert(b.end(), {1, 0});
    b.push_back(static_cast<uint8_t>(assets.size()));
    b.push_back(static_cast<uint8_t>(assets.size() >> 8));
    for (const auto& [id, name] : assets) {
        b.push_back(static_cast<uint8_t>(id));
        b.push_back(static_cast<uint8_t>(id >> 8));
        b.insert(b.end(), name.begin(), name.end());
        b.push_back(0);
    }
    return b;
}

ActionBuilder traceText(const std::string& s) {
    ActionBuilder a;
    a.push(s).trace();
    return a;
}

std::filesystem::path freshFolder(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("kelmora-import-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// A SWF 5 library: sprite 5 ("clip") sets x and traces X, which only a case-insensitive movie
// finds; its init action traces "lib init". Sprite 6 is exported too but nobody imports it; its
// init action traces "other init".
void writeLibrary(const std::filesystem::path& file) {
    SwfWriter lib(5);
    lib.defineSprite(5, [](Timeline& t) {
        ActionBuilder a;
        a.push({PushValue("x"), PushValue(1.0)}).setVariable().push("X").getVariable().trace();
        t.doAction(a.end()).showFrame();
    });
    lib.defineSprite(6, [](Timeline& t) { t.doAction(traceText("other").end()).showFrame(); });
    lib.exportAssets({{5, "clip"}, {6, "other"}});
    lib.doInitAction(5, traceText("lib init").end());
    lib.doInitAction(6, traceText("other init").end());
    lib.showFrame();
    ASSERT_TRUE(lib.writeFile(file.string()).ok());
}

}  // namespace

TEST(ImportAssetsTest, ImportedSpritesPlayAsPartOfTheirOwnMovie) {
    auto dir = freshFolder("library");
    writeLibrary(dir / "lib.swf");
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "ImportAssets2" : "ImportAssets");
        SwfWriter main(8);
        main.tag(second ? TagCode::ImportAssets2 : TagCode::ImportAssets,
                 importTag("lib.swf", {{1, "clip"}, {2, "missing"}}, second));
        main.place(Place::add(1, 1).name("a")).place(Place::add(2, 2).name("gone"));
        ActionBuilder attach;
        attach.push({PushValue(10.0), PushValue("b"), PushValue("clip"), PushValue(3.0), PushValue("_root")})
            .getVariable()
            .push("attachMovie")
            .callMethod()
            .pop();
        main.doAction(traceText("main").end()).doAction(attach.end()).showFrame();
        main.doAction(ActionBuilder().stop().end()).showFrame();
        ASSERT_TRUE(main.writeFile((dir / "main.swf").string()).ok());

        ImportRun run;
        ASSERT_TRUE(run.player.load((dir / "main.swf").string()).ok());
        run.player.advance();
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(run.lines.front(), "lib init");  // before any script of the importing frame
        EXPECT_EQ(run.count("lib init"), 1u);
        // An import brings every init action of the library, in its order, each once.
        ASSERT_GE(run.lines.size(), 2u);
        EXPECT_EQ(run.lines[1], "other init");
        EXPECT_EQ(run.count("other init"), 1u);
        EXPECT_EQ(run.count("main"), 1u);
        // Placed and attached instances both run the library's frame script.
        EXPECT_EQ(run.count("1") + run.count("undefined"), 2u);
        const auto& children = run.player.stage()->root().children();
        EXPECT_EQ(children.size(), 2u);  // "a" and "b"; the missing name placed nothing
    }
    std::filesystem::remove_all(dir);
}

TEST(ImportAssetsTest, MissingFilesAndImportCyclesEndQuietly) {
    auto dir = freshFolder("cycle");
    // a.swf imports "fromB" from b.swf, which imports "fromA" from a.swf; self.swf imports itself.
    auto cyclic = [&](const std::string& self, const std::string& other, const std::string& mine,
                      const std::string& theirs) {
        SwfWriter m(6);
        m.tag(TagCode::ImportAssets, importTag(other, {{1, theirs}}, false));
        m.defineSprite(2, [&](Timeline& t) { t.doAction(traceText(mine).end()).showFrame(); });
        m.exportAssets({{2, mine}});
        m.place(Place::add(1, 1)).place(Place::add(2, 2)).showFrame();
        ASSERT_TRUE(m.writeFile((dir / self).string()).ok());
    };
    cyclic("a.swf", "b.swf", "fromA", "fromB");
    cyclic("b.swf", "a.swf", "fromB", "fromA");
    cyclic("self.swf", "self.swf", "fromSelf", "fromSelf");
    cyclic("lost.swf", "nowhere.swf", "fromLost", "fromNowhere");
    struct Case {
        const char* file;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a.swf", {"fromB", "fromA"}},  // b's sprite comes in; b's own import of a's stops there
        {"self.swf", {"fromSelf", "fromSelf"}},
        {"lost.swf", {"fromLost"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ImportRun run;
        ASSERT_TRUE(run.player.load((dir / c.file).string()).ok());
        auto sorted = [](std::vector<std::string> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(sorted(run.lines), sorted(c.lines));
    }
    std::filesystem::remove_all(dir);
}
