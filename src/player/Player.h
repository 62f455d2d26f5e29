#pragma once
// The engine's face: loads a movie and answers the player control's members (Movie, Play, Rewind,
// CurrentFrame/FrameNum, TotalFrames, BGColor, Menu), plus what only our own player can give:
// advance() runs exactly one frame with no wall clock, render() draws the stage into a picture.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

class MovieDef;
class MovieClip;
class Stage;
namespace script {
class ScriptEngine;
}

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loads a movie file; on failure the previous movie is gone and the stage shows BGColor only.
    Status load(const std::string& path);
    // baseFolder: where movies the movie names by relative path are looked for.
    Status load(std::span<const uint8_t> bytes, const std::string& baseFolder = {});

    // Movie: setting it loads the movie; reading gives the path set last, as set.
    Status setMovie(const std::string& path);
    const std::string& movie() const { return moviePath_; }

    void play();
    void stop();
    void rewind();  // back to frame 0
    int currentFrame() const;
    int frameNum() const { return currentFrame(); }
    int totalFrames() const;
    bool isPlaying() const;

    // BGColor: "0" or hex digits ("A0A0A0"); the stage colour where the movie sets none.
    void setBGColor(const std::string& text);
    std::string bgColor() const;
    void setMenu(bool) {}

    // Runs one frame of every timeline.
    void advance();
    // Draws the stage. An empty picture is first sized to the movie's pixel size; any other size
    // shows the whole movie scaled to fit, centred ("ShowAll").
    void render(PixelBuffer& picture);

    bool loaded() const { return stage_ != nullptr; }
    double frameRate() const;
    int stageWidth() const;   // pixels
    int stageHeight() const;  // pixels
    Rgba stageColor() const;

    // trace() output of the movie's scripts.
    void setTraceSink(std::function<void(const std::string&)> sink) { traceSink_ = std::move(sink); }
    void trace(const std::string& line) const {
        if (traceSink_) traceSink_(line);
    }

    // Messages about scripts the engine stopped (too long, too deep); the movie goes on.
    void setReportSink(std::function<void(const std::string&)> sink) { reportSink_ = std::move(sink); }
    void report(const std::string& message) const {
        if (reportSink_) reportSink_(message);
    }
    // Actions one script entry may run before it is stopped (applies to movies loaded after).
    void setScriptActionLimit(uint64_t actions) { scriptActionLimit_ = actions; }
    // Null for movies without ActionScript 1/2 (or before a movie is loaded).
    script::ScriptEngine* scripts() { return scripts_.get(); }

    // For the script engine and tests.
    const MovieDef* movieDefinition() const;
    MovieClip* root();
    Stage* stage() { return stage_.get(); }
    const std::string& baseFolder() const { return baseFolder_; }

private:
    void unload();

    std::unique_ptr<script::ScriptEngine> scripts_;  // outlives the stage, which reports to it
    std::unique_ptr<Stage> stage_;
    std::string moviePath_;
    std::string baseFolder_;
    Rgba bgColor_{255, 255, 255, 255};
    std::function<void(const std::string&)> traceSink_;
    std::function<void(const std::string&)> reportSink_;
    uint64_t scriptActionLimit_ = 0;  // 0: the interpreter's own
};

}  // namespace kelmora::player
