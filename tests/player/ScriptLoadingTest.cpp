// Loading from scripts: MovieClipLoader events for pictures, broken files and paths that leave
// the movie's folder; LoadVars reading a text file beside the movie; setMask hiding what lies
// outside the mask.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BitmapTestPictures.h"
#include "ScriptTestMovies.h"
#include "player/avm1/Builtins.h"
#include "player/Player.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

std::filesystem::path freshFolder(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("kelmora-loading-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ActionBuilder& callMethod(ActionBuilder& a, const std::string& object, const std::string& method,
                          std::initializer_list<PushValue> reversedArgs) {
    a.push(reversedArgs).push(static_cast<int>(reversedArgs.size())).push(object).getVariable().push(method).callMethod();
    return a;
}

std::vector<std::string> play(const std::filesystem::path& movie, int frames) {
    player::Player p;
    std::vector<std::string> lines;
    p.setTraceSink([&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(p.load(movie.string()).ok());
    for (int i = 0; i < frames; ++i) p.advance();
    return lines;
}

}  // namespace

TEST(ScriptLoadingTest, LoaderReportsPicturesBrokenFilesAndRefusedPathsInThePlayersOrder) {
    auto dir = freshFolder("mcl");
    auto outside = dir / "outside";
    std::filesystem::create_directories(outside / "movie");
    std::vector<uint8_t> rgba(3 * 2 * 4, 0);
    for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 3] = 255;  // opaque red
    writeFile(outside / "movie" / "pic.png", player::testing::makePng(3, 2, rgba));
    writeFile(outside / "secret.png", player::testing::makePng(3, 2, rgba));
    // A PNG signature over garbage, and a GIF that claims a huge screen and ends early.
    writeFile(outside / "movie" / "bad.png", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 1, 2, 3});
    writeFile(outside / "movie" / "bad.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});

    ActionBuilder body;
    body.push("e").getVariable().push(" ").add2().push("mc").getVariable().add2().trace();
    ActionBuilder a;
    a.push("l").push(0).push("MovieClipLoader").newObject().setVariable();
    a.push("l").getVariable().push("broadcastMessage").defineFunction("", {"e", "mc"}, body).setMember();
    const char* names[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 5; ++i) callMethod(a, "this", "createEmptyMovieClip", {i + 1, names[i]}).pop();
    callMethod(a, "l", "loadClip", {"a", "pic.png"}).pop();
    callMethod(a, "l", "loadClip", {"b", "bad.png"}).pop();
    callMethod(a, "l", "loadClip", {"c", "../secret.png"}).pop();
    callMethod(a, "l", "loadClip", {"d", "/etc/passwd"}).pop();
    callMethod(a, "l", "loadClip", {"e", "bad.gif"}).pop();
    ActionBuilder size;
    size.push("a").getVariable().push("_width").getMember().push("x").add2();
    size.push("a").getVariable().push("_height").getMember().add2().trace().stop();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().doAction(size.end()).showFrame();
    ASSERT_TRUE(movie.writeFile((outside / "movie" / "main.swf").string()).ok());

    // Files that are not there (or may not be read) are known at once, at the end of the frame.
    const std::vector<std::string> expected = {
        "onLoadError _level0.c",    "onLoadError _level0.d",
        "onLoadStart _level0.a",    "onLoadProgress _level0.a", "onLoadComplete _level0.a",
        "onLoadStart _level0.b",    "onLoadProgress _level0.b", "onLoadComplete _level0.b", "onLoadStart _level0.e",
        "onLoadProgress _level0.e", "onLoadComplete _level0.e", "onLoadInit _level0.e",
        "onLoadInit _level0.b",     "onLoadInit _level0.a",     "3x2"};
    EXPECT_EQ(play(outside / "movie" / "main.swf", 2), expected);
}

TEST(ScriptLoadingTest, LoadVarsReadsTextBesideTheMovieAndFailsOutsideIt) {
    auto dir = freshFolder("loadvars");
    std::filesystem::create_directories(dir / "movie");
    const std::string text = "\xEF\xBB\xBFname=Ann%20Lee&n=3&empty=&=skipped";
    writeFile(dir / "movie" / "vars.txt", Bytes(text.begin(), text.end()));
    writeFile(dir / "vars.txt", Bytes(text.begin(), text.end()));

    // onLoad traces success and the variables; two loaders, one reaching outside the folder.
    ActionBuilder onLoad;
    onLoad.push("ok").getVariable().push(" ").add2().push("this").getVariable().push("name").getMember().add2();
    onLoad.push(" ").add2().push("this").getVariable().push("n").getMember().add2().trace();
    ActionBuilder a;
    for (const char* v : {"inside", "outside"}) {
        a.push(v).push(0).push("LoadVars").newObject().setVariable();
        a.push(v).getVariable().push("onLoad").defineFunction("", {"ok"}, onLoad).setMember();
    }
    callMethod(a, "inside", "load", {"vars.txt"}).trace();
    callMethod(a, "outside", "load", {"../vars.txt"}).trace();
    callMethod(a, "inside", "load", {}).trace();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().showFrame();
    ASSERT_TRUE(movie.writeFile((dir / "movie" / "main.swf").string()).ok());

    const std::vector<std::string> expected = {"true", "true", "false", "true Ann Lee 3", "false undefined undefined"};
    EXPECT_EQ(play(dir / "movie" / "main.swf", 1), expected);
}

TEST(ScriptLoadingTest, LoadedTextIsReadAsTheMoviesVersionReadsIt) {
    auto dir = freshFolder("charset");
    // "é" in UTF-8, then Latin-1 bytes that are not UTF-8: a lead byte with an ASCII byte after
    // it, a stray continuation byte, and a lead byte cut off by the end.
    const std::string text = "v=\xC3\xA9 \xC4\xD6\xDC\x20\x95 \xDF";
    writeFile(dir / "vars.txt", Bytes(text.begin(), text.end()));
    writeFile(dir / "doc.xml", Bytes{'<', 'a', ' ', 'x', '=', '"', '1', '"', ' ', 'y', '=', '"', '2', '"', '/', '>'});

    struct Case { int version; bool useCodepage; std::string expected; };
    const Case cases[] = {
        {6, false, "\xC3\xA9 \xC5\x96\xDA\xA0\xC2\x95 "},                    // é, U+0156, U+06A0, U+0095
        {6, true, "\xC3\x83\xC2\xA9 \xC3\x84\xC3\x96\xC3\x9C \xE2\x80\xA2 \xC3\x9F"},  // Windows-1252
        {5, false, "\xC3\x83\xC2\xA9 \xC3\x84\xC3\x96\xC3\x9C \xE2\x80\xA2 \xC3\x9F"},
    };
    for (const Case& c : cases) {
        // loadVariablesNum into level 0 as compilers write it (GetURL2 0x80), then XML.load.
        ActionBuilder onLoad;
        onLoad.push("ok").getVariable().push(" ").add2().push("this").getVariable().push("firstChild").getMember();
        onLoad.push("attributes").getMember().push("y").getMember().add2().trace();
        ActionBuilder a;
        if (c.useCodepage) a.push("System").getVariable().push("useCodepage").push(true).setMember();
        a.push("vars.txt").push("_level0").getUrl2(SendVarsMethod::None, false, true);
        a.push("x").push(0).push("XML").newObject().setVariable();
        a.push("x").getVariable().push("onLoad").defineFunction("", {"ok"}, onLoad).setMember();
        callMethod(a, "x", "load", {"doc.xml"}).pop();
        ActionBuilder show;
        show.push("v").getVariable().trace();
        // The attributes keep the order they were written in.
        callMethod(show, "x", "toString", {}).trace();
        SwfWriter movie(c.version);
        movie.doAction(a.end()).showFrame().doAction(show.end()).showFrame();
        const auto file = dir / ("main" + std::to_string(c.version) + (c.useCodepage ? "cp" : "") + ".swf");
        ASSERT_TRUE(movie.writeFile(file.string()).ok());
        const auto lines = play(file, 2);
        ASSERT_EQ(lines.size(), 3u) << c.version;
        EXPECT_EQ(lines[0], "true 2") << c.version;
        EXPECT_EQ(lines[1], c.expected) << c.version << (c.useCodepage ? " with the code page" : "");
        EXPECT_EQ(lines[2], "<a x=\"1\" y=\"2\" />") << c.version;
    }
}

TEST(ScriptLoadingTest, UrlVariablesReachTheLoadedMovieAndLoadersFindReplacedClipsByPath) {
    auto dir = freshFolder("query");
    // The child traces what its URL gave it, before anything else of its first frame.
    ActionBuilder child;
    child.push("this").getVariable().push("a").getMember().push("/").add2();
    child.push("this").getVariable().push("b").getMember().add2().trace();
    SwfWriter childMovie(8);
    childMovie.doAction(child.end()).showFrame();
    ASSERT_TRUE(childMovie.writeFile((dir / "child.swf").string()).ok());

    ActionBuilder a;
    a.push("l").push(0).push("MovieClipLoader").newObject().setVariable();
    a.push("c").push(1).push("c").push(2).push("this").getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    callMethod(a, "l", "loadClip", {"c", "child.swf?a=1&b=x%20y#part"}).pop();
    a.push("child.swf?a=2&b=level").push("_level1").getUrl2(SendVarsMethod::None, false, false);
    a.push("_level0.d").push(3).push("d").push(2).push("this").getVariable().push("createEmptyMovieClip").callMethod().pop();
    a.push("child.swf").push("_level0.d").getUrl2(SendVarsMethod::None, true, false);
    // The variable still holds the clip the load replaced: the loader finds the new one by its path.
    ActionBuilder after;
    callMethod(after, "l", "getProgress", {"c"}).push("bytesLoaded").getMember().push(0).greater().trace();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().doAction(after.end()).showFrame();
    ASSERT_TRUE(movie.writeFile((dir / "main.swf").string()).ok());

    const std::vector<std::string> expected = {"1/x y", "2/level", "undefined/undefined", "true"};
    auto lines = play(dir / "main.swf", 1);
    std::sort(lines.begin(), lines.begin() + std::min<size_t>(3, lines.size()));
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.begin() + 3);
    EXPECT_EQ(lines, sorted);
}

TEST(ScriptLoadingTest, WhatATimerLoadsIsThereWithTheFrameThatFollows) {
    auto dir = freshFolder("timer");
    ActionBuilder child;
    child.push("child").trace();
    SwfWriter childMovie(8);
    childMovie.doAction(child.end()).showFrame();
    ASSERT_TRUE(childMovie.writeFile((dir / "child.swf").string()).ok());

    // The timer falls due between the first and the second frame; what it loads runs its first
    // frame before the second frame's script.
    ActionBuilder load;
    load.push("child.swf").push("_level1").getUrl2(SendVarsMethod::None, false, false);
    ActionBuilder a;
    a.defineFunction("f", {}, load);
    a.push(1).push("f").getVariable().push(2).push("setTimeout").callFunction().pop();
    ActionBuilder second;
    second.push("frame 2").trace();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().doAction(second.end()).showFrame();
    ASSERT_TRUE(movie.writeFile((dir / "main.swf").string()).ok());
    EXPECT_EQ(play(dir / "main.swf", 1), (std::vector<std::string>{"child", "frame 2"}));
}

TEST(ScriptLoadingTest, LoadedVariablesGoThroughDecodeAndAnEmptyFileIsAFailedLoad) {
    auto dir = freshFolder("decode");
    const std::string vars = "a=1&b=2";
    writeFile(dir / "vars.txt", Bytes(vars.begin(), vars.end()));
    writeFile(dir / "empty.txt", Bytes{});

    ActionBuilder decode;
    decode.push("decode ").push("s").getVariable().add2().trace();
    ActionBuilder onLoad;
    onLoad.push("load ").push("ok").getVariable().add2().push(" ").add2();
    onLoad.push("this").getVariable().push("a").getMember().add2().trace();
    ActionBuilder a;
    for (const char* v : {"replaced", "empty"}) {
        a.push(v).push(0).push("LoadVars").newObject().setVariable();
        a.push(v).getVariable().push("onLoad").defineFunction("", {"ok"}, onLoad).setMember();
    }
    a.push("replaced").getVariable().push("decode").defineFunction("", {"s"}, decode).setMember();
    callMethod(a, "replaced", "load", {"vars.txt"}).pop();
    callMethod(a, "empty", "load", {"empty.txt"}).pop();
    callMethod(a, "this", "createEmptyMovieClip", {1, "m"}).pop();
    callMethod(a, "m", "loadVariables", {"POST", "vars.txt"}).pop();
    ActionBuilder show;
    show.push("m").getVariable().push("a").getMember().push("m").getVariable().push("b").getMember().add2().trace();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().doAction(show.end()).showFrame();
    ASSERT_TRUE(movie.writeFile((dir / "main.swf").string()).ok());

    const std::vector<std::string> expected = {"decode a=1&b=2", "load true undefined", "load false undefined", "12"};
    EXPECT_EQ(play(dir / "main.swf", 1), expected);
}

TEST(ScriptLoadingTest, LoadedSoundsTellTheirTagLengthAndEnd) {
    auto dir = freshFolder("sound");
    // An ID3 tag (a Latin-1 title, a UTF-16 comment, a URL frame that is no text) before ten
    // MPEG-1 Layer III frames of 1152 samples at 44.1 kHz: 261 ms.
    Bytes file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    auto frame = [&](const char* id, Bytes body) {
        file.insert(file.end(), id, id + 4);
        const size_t n = body.size();
        file.insert(file.end(), {0, 0, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 0, 0});
        file.insert(file.end(), body.begin(), body.end());
    };
    frame("TIT2", {0, 'S', 'o', 'n', 'g'});
    frame("WOAR", {'h', 't', 't', 'p'});
    frame("COMM", {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'H', 0, 'i', 0});
    frame("TPE1", {0, 'A'});  // cut short by the tag's end below: dropped
    const size_t tagSize = file.size() - 10 - 3;
    file[8] = static_cast<uint8_t>(tagSize >> 7);
    file[9] = static_cast<uint8_t>(tagSize & 0x7F);
    file.resize(10 + tagSize);
    for (int i = 0; i < 10; ++i) {
        Bytes mp3(417, 0);
        mp3[0] = 0xFF, mp3[1] = 0xFB, mp3[2] = 0x90;
        file.insert(file.end(), mp3.begin(), mp3.end());
    }
    writeFile(dir / "song.mp3", file);
    if (const char* seeds = std::getenv("KELMORA_SEED_DIR")) {
        std::filesystem::create_directories(std::filesystem::path(seeds) / "fuzz_id3");
        writeFile(std::filesystem::path(seeds) / "fuzz_id3" / "tagged.mp3", file);
    }

    ActionBuilder onId3;
    onId3.push("id3 ").push("this").getVariable().push("id3").getMember().push("songname").getMember().add2();
    onId3.push(" ").add2().push("this").getVariable().push("id3").getMember().push("comment").getMember().add2();
    onId3.push(" ").add2().push("this").getVariable().push("id3").getMember().push("artist").getMember().add2().trace();
    ActionBuilder onLoad;
    onLoad.push("load ").push("ok").getVariable().add2().push(" ").add2();
    onLoad.push("this").getVariable().push("duration").getMember().add2().trace();
    ActionBuilder onComplete;
    onComplete.push("complete ").push("this").getVariable().push("position").getMember().add2().trace();
    ActionBuilder a;
    a.push("s").push(0).push("Sound").newObject().setVariable();
    a.push("s").getVariable().push("onID3").defineFunction("", {}, onId3).setMember();
    a.push("s").getVariable().push("onLoad").defineFunction("", {"ok"}, onLoad).setMember();
    a.push("s").getVariable().push("onSoundComplete").defineFunction("", {}, onComplete).setMember();
    a.push("missing").push(0).push("Sound").newObject().setVariable();
    a.push("missing").getVariable().push("onLoad").defineFunction("", {"ok"}, onLoad).setMember();
    callMethod(a, "s", "loadSound", {true, "song.mp3"}).pop();
    callMethod(a, "missing", "loadSound", {false, "nothing.mp3"}).pop();
    ActionBuilder second;
    second.push("frame 2").trace().stop();
    SwfWriter movie(8);
    movie.doAction(a.end()).showFrame().doAction(second.end()).showFrame();
    ASSERT_TRUE(movie.writeFile((dir / "main.swf").string()).ok());

    // Sound files arrive within the frame that asked for them; at 12 frames a second the sound
    // ends with the fourth frame.
    const std::vector<std::string> expected = {"id3 Song Hi undefined", "load true 261", "load false undefined",
                                               "frame 2", "complete 261"};
    EXPECT_EQ(play(dir / "main.swf", 6), expected);
}

// There is no browser: pages a movie opens are refused without a message and the script goes on.
TEST(ScriptLoadingTest, PagesTheMovieOpensAreRefusedWithoutAMessage) {
    ActionBuilder a;
    a.push("v").push(2).setVariable();
    a.push("http://example.com/a").push("BLANK").getUrl2(SendVarsMethod::Post, false, false);
    a.getUrl("http://example.com/b", "_self");
    a.push("http://example.com/c").push("").getUrl2(SendVarsMethod::None, false, false);
    a.push("after").trace();
    EXPECT_EQ(scripttest::runScript(a), (std::vector<std::string>{"after"}));
}
