#pragma once
// A display side without pictures for the interpreter's tests: one root clip (level 0) with a
// simple timeline of action lists, plus named child clips that tests add by hand.
#include <map>
#include <string>
#include <vector>

#include "player/avm1/Host.h"
#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1::testing {

class FakeHost : public Host {
public:
    struct Clip {
        ClipId parent = kNoClip;
        std::string name;
        int depth = 0;
        double props[kClipPropertyCount] = {0, 0, 100, 100, 1, 1, 100, 1, 0, 0, 0};
        bool playing = true;
        uint32_t frame = 0;
        ColorTransform color;
    };

    FakeHost() {
        clips[1] = Clip{};
        clips[1].name = "";
    }

    // The root timeline: one action list per frame (may be empty).
    std::vector<std::vector<std::vector<uint8_t>>> frameScripts;
    std::vector<std::string> lines;
    std::vector<std::string> errors;
    std::vector<std::string> log;  // host calls that tests check
    double now = 0;
    double frameMs = 1000.0 / 24;
    std::map<ClipId, Clip> clips;
    ClipId nextId = 100;
    Interpreter* in = nullptr;
    int swfVersion = 8;
    bool gotoPending = false;

    ClipId addChild(ClipId parent, std::string name) {
        ClipId id = nextId++;
        Clip c;
        c.parent = parent;
        c.name = std::move(name);
        clips[id] = c;
        return id;
    }

    std::string output() const {
        std::string s;
        for (auto& l : lines) s += l + "\n";
        return s;
    }

    // Runs the root timeline for `frames` frames as a player would: frame 1's scripts first,
    // then advancing while playing (looping at the end).
    void play(int frames) {
        if (frameScripts.empty()) return;
        for (auto& c : clips[1].props) (void)c;
        clips[1].props[static_cast<int>(ClipProperty::TotalFrames)] = static_cast<double>(frameScripts.size());
        clips[1].props[static_cast<int>(ClipProperty::FramesLoaded)] = static_cast<double>(frameScripts.size());
        enter(0);
        for (int i = 1; i < frames; ++i) {
            now += frameMs;
            in->runTimers();
            Clip& root = clips[1];
            if (root.playing) enter(root.frame + 1 < frameScripts.size() ? root.frame + 1 : 0);
            in->collectGarbage();
        }
    }

    void enter(uint32_t frame) {
        Clip& root = clips[1];
        root.frame = frame;
        root.props[static_cast<int>(ClipProperty::CurrentFrame)] = frame + 1;
        // A goto inside a frame script runs the target frame's scripts after the current one.
        for (int guard = 0; guard < 64; ++guard) {
            gotoPending = false;
            uint32_t running = root.frame;
            if (running < frameScripts.size())
                for (auto& script : frameScripts[running]) in->runScript(1, script, swfVersion);
            if (!gotoPending || clips[1].frame == running) break;
        }
    }

    void trace(std::string_view line) override { lines.emplace_back(line); }
    void reportError(std::string_view message) override { errors.emplace_back(message); }
    double timeMs() override { return now; }
    ClipId level(int n) override { return n == 0 ? 1 : kNoClip; }
    int levelNumber(ClipId clip) override { return clip == 1 ? 0 : -1; }
    ClipId rootOf(ClipId) override { return 1; }
    ClipId parent(ClipId clip) override { return clips.count(clip) ? clips[clip].parent : kNoClip; }
    ClipId child(ClipId clip, std::string_view name, bool caseSensitive) override {
        NameEqual eq{caseSensitive};
        for (auto& [id, c] : clips)
            if (c.parent == clip && eq(c.name, name)) return id;
        return kNoClip;
    }
    std::vector<ClipId> children(ClipId clip) override {
        std::vector<ClipId> out;
        for (auto& [id, c] : clips)
            if (c.parent == clip) out.push_back(id);
        return out;
    }
    bool exists(ClipId clip) override { return clips.count(clip) != 0; }
    ClipKind kind(ClipId) override { return ClipKind::MovieClip; }
    std::string name(ClipId clip) override { return clips.count(clip) ? clips[clip].name : std::string(); }
    std::string exportName(ClipId) override { return {}; }
    Value getProperty(ClipId clip, ClipProperty p) override {
        if (!clips.count(clip)) return Value();
        if (p == ClipProperty::Visible) return Value(clips[clip].props[7] != 0);
        if (p == ClipProperty::Url) return Value("file:///test.swf");
        if (p == ClipProperty::Quality) return Value("HIGH");
        if (p == ClipProperty::DropTarget) return Value("");
        return Value(clips[clip].props[static_cast<int>(p)]);
    }
    void setProperty(ClipId clip, ClipProperty p, double number, std::string_view text) override {
        if (!clips.count(clip)) return;
        if (p == ClipProperty::Name) clips[clip].name = text;
        else clips[clip].props[static_cast<int>(p)] = number;
    }
    std::optional<Value> getNamed(ClipId, std::string_view) override { return std::nullopt; }
    bool setNamed(ClipId, std::string_view, const Value&) override { return false; }
    void gotoFrame(ClipId clip, uint32_t frame, bool playing) override {
        log.push_back("goto " + std::to_string(clip) + " " + std::to_string(frame) + (playing ? " play" : " stop"));
        if (!clips.count(clip)) return;
        Clip& c = clips[clip];
        c.playing = playing;
        if (clip == 1 && frame < frameScripts.size() && frame != c.frame) {
            c.frame = frame;
            c.props[static_cast<int>(ClipProperty::CurrentFrame)] = frame + 1;
            gotoPending = true;
        }
    }
    bool gotoLabel(ClipId, std::string_view label, bool) override {
        log.push_back("label " + std::string(label));
        return false;
    }
    void setPlaying(ClipId clip, bool playing) override {
        log.push_back(playing ? "play" : "stop");
        if (clips.count(clip)) clips[clip].playing = playing;
    }
    void nextFrame(ClipId clip) override {
        if (clip == 1 && clips[1].frame + 1 < frameScripts.size()) gotoFrame(1, clips[1].frame + 1, false);
    }
    void prevFrame(ClipId clip) override {
        if (clip == 1 && clips[1].frame > 0) gotoFrame(1, clips[1].frame - 1, false);
    }
    void stopSounds() override {}
    ClipId duplicateClip(ClipId source, std::string_view newName, int depth) override {
        ClipId p = parent(source);
        if (!p) return kNoClip;
        ClipId id = addChild(p, std::string(newName));
        clips[id].depth = depth;
        return id;
    }
    ClipId attachMovie(ClipId, std::string_view, std::string_view, int) override { return kNoClip; }
    ClipId createEmptyClip(ClipId parent, std::string_view newName, int depth) override {
        ClipId id = addChild(parent, std::string(newName));
        clips[id].depth = depth;
        return id;
    }
    ClipId createTextField(ClipId, std::string_view, int, Rect) override { return kNoClip; }
    void removeClip(ClipId clip) override {
        if (clip != 1) clips.erase(clip);
    }
    int depth(ClipId clip) override { return clips.count(clip) ? clips[clip].depth : 0; }
    int nextHighestDepth(ClipId) override { return 0; }
    void swapDepths(ClipId, int) override {}
    void swapWith(ClipId, ClipId) override {}
    Rect bounds(ClipId, ClipId) override { return {}; }
    bool hitTestPoint(ClipId, double, double, bool) override { return false; }
    bool hitTestClip(ClipId, ClipId) override { return false; }
    void setMask(ClipId, ClipId) override {}
    void draw(ClipId, const DrawCommand&) override { log.push_back("draw"); }
    ColorTransform colorTransform(ClipId clip) override { return clips.count(clip) ? clips[clip].color : ColorTransform{}; }
    void setColorTransform(ClipId clip, const ColorTransform& cx) override {
        if (clips.count(clip)) clips[clip].color = cx;
    }
    Matrix stageMatrix(ClipId) override { return {}; }
    void getUrl(std::string_view url, std::string_view target, int) override {
        log.push_back("getUrl " + std::string(url) + " " + std::string(target));
    }
    void loadMovie(ClipId, std::string_view url) override { log.push_back("loadMovie " + std::string(url)); }
    void loadMovieNum(int level, std::string_view url) override {
        log.push_back("loadMovieNum " + std::to_string(level) + " " + std::string(url));
    }
    void unloadMovie(ClipId) override {}
    void fsCommand(std::string_view command, std::string_view args) override {
        log.push_back("fscommand " + std::string(command) + " " + std::string(args));
    }
    double stageWidth() override { return 550; }
    double stageHeight() override { return 400; }
};

}  // namespace kelmora::player::avm1::testing
