#pragma once
// Runs a movie's ActionScript 1/2 inside the player: the interpreter's Host over the display tree
// (levels, clips by handle, properties, clips made by scripts, loading movies) and the frame cycle
// that decides when frame scripts, init actions, clip events and timers run.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "player/avm1/BitmapHost.h"
#include "player/avm1/Host.h"
#include "player/avm1/Interpreter.h"
#include "player/display/DisplayObject.h"
#include "player/display/PlayContext.h"
#include "player/script/ClipDrawing.h"

namespace kelmora::player {
class Stage;
class MovieClip;
class EditTextInstance;
}

namespace kelmora::player::script {

using avm1::ClipId;

// The one-frame timeline of clips that scripts create.
const TimelineDef& emptyTimeline();

class ScriptEngine final : public avm1::Host, public avm1::BitmapHost, public TimelineListener {
public:
    struct Sinks {
        std::function<void(const std::string&)> trace;
        std::function<void(const std::string&)> report;  // scripts stopped by a limit
    };
    ScriptEngine(Sinks sinks, avm1::Limits limits = {});
    ~ScriptEngine() override;

    // The stage whose level 0 the engine drives; constructs level 0's first frame and runs its
    // scripts. Call once, right after the stage was made with this engine as its listener.
    void start(Stage& stage, double frameRate, int swfVersion, const std::string& folder);
    // One frame: pending loads, timers, every timeline, then the queued scripts.
    void advance();
    avm1::Interpreter& interpreter() { return *interpreter_; }
    uint64_t frameCount() const { return tick_; }
    // fscommand("quit") ran: the movie has ended and frames no longer advance.
    bool quitRequested() const { return quit_; }

    // ---- TimelineListener
    void objectCreated(DisplayObject& object) override;
    void objectDestroyed(DisplayObject& object) override;
    void placed(DisplayObject& object) override;
    void frameStarted(MovieClip& clip, const FrameDef& frame) override;
    void frameAction(MovieClip& clip, std::span<const uint8_t> actions) override;
    void removed(std::unique_ptr<DisplayObject> object) override;
    void retireContext(std::unique_ptr<PlayContext> context) override;
    void placementFailed(MovieClip& clip, int depth) override;

    // ---- avm1::Host (ScriptHost*.cpp)
    void trace(std::string_view line) override;
    void reportError(std::string_view message) override;
    double timeMs() override { return timeMs_; }
    ClipId level(int n) override;
    int levelNumber(ClipId clip) override;
    ClipId rootOf(ClipId clip) override;
    ClipId parent(ClipId clip) override;
    ClipId child(ClipId clip, std::string_view name, bool caseSensitive) override;
    std::vector<ClipId> children(ClipId clip) override;
    bool exists(ClipId clip) override;
    avm1::ClipKind kind(ClipId clip) override;
    std::string name(ClipId clip) override;
    std::string exportName(ClipId clip) override;
    bool exportedAs(ClipId clip, std::string_view name, bool caseSensitive) override;
    avm1::Value getProperty(ClipId clip, avm1::ClipProperty p) override;
    void setProperty(ClipId clip, avm1::ClipProperty p, double number, std::string_view text) override;
    std::optional<avm1::Value> getNamed(ClipId clip, std::string_view name) override;
    bool setNamed(ClipId clip, std::string_view name, const avm1::Value& value) override;
    void gotoFrame(ClipId clip, uint32_t frame, bool play) override;
    bool gotoLabel(ClipId clip, std::string_view label, bool play) override;
    void setPlaying(ClipId clip, bool playing) override;
    void nextFrame(ClipId clip) override;
    void prevFrame(ClipId clip) override;
    void stopSounds() override;
    std::vector<std::span<const uint8_t>> frameActions(ClipId clip, uint32_t frame) override;
    std::optional<uint32_t> labelFrame(ClipId clip, std::string_view label) override;
    ClipId duplicateClip(ClipId source, std::string_view newName, int depth) override;
    ClipId attachMovie(ClipId parent, std::string_view exportName, std::string_view newName, int depth) override;
    ClipId createEmptyClip(ClipId parent, std::string_view newName, int depth) override;
    ClipId createTextField(ClipId parent, std::string_view newName, int depth, Rect pixels) override;
    void removeClip(ClipId clip) override;
    int depth(ClipId clip) override;
    int nextHighestDepth(ClipId clip) override;
    ClipId instanceAtDepth(ClipId clip, int depth) override;
    int movieVersion(ClipId clip) override;
    uint32_t movieBytes(ClipId clip) override;
    uint32_t movieBytesLoaded(ClipId clip) override;
    uint32_t movieFileBytes(ClipId clip) override;
    void swapDepths(ClipId clip, int depth) override;
    void swapWith(ClipId clip, ClipId other) override;
    Rect bounds(ClipId clip, ClipId space) override;
    bool hitTestPoint(ClipId clip, double stageX, double stageY, bool shapeFlag) override;
    bool hitTestClip(ClipId clip, ClipId other) override;
    void setMask(ClipId clip, ClipId mask) override;
    void draw(ClipId clip, const avm1::DrawCommand& command) override;
    // Hands what scripts drew since the last call to their clips' shapes.
    void flushDrawings();
    ColorTransform colorTransform(ClipId clip) override;
    void setColorTransform(ClipId clip, const ColorTransform& cx) override;
    Matrix stageMatrix(ClipId clip) override;
    void getUrl(std::string_view url, std::string_view target, int method) override;
    void loadMovie(ClipId target, std::string_view url) override;
    void loadMovieNum(int level, std::string_view url) override;
    void unloadMovie(ClipId target) override;
    uint64_t loadClip(ClipId target, int level, std::string_view url) override;
    uint64_t loadText(ClipId from, std::string_view url) override;
    void fsCommand(std::string_view command, std::string_view args) override;
    std::optional<avm1::TextFormatValues> textFormat(ClipId clip, int begin, int end) override;
    void setTextFormat(ClipId clip, int begin, int end, const avm1::TextFormatValues& values) override;
    std::optional<avm1::TextFormatValues> newTextFormat(ClipId clip) override;
    void setNewTextFormat(ClipId clip, const avm1::TextFormatValues& values) override;
    void replaceText(ClipId clip, int begin, int end, std::string_view text) override;
    Rect textExtent(const avm1::TextFormatValues& values, std::string_view text, double width) override;
    std::vector<std::u32string> staticText(ClipId clip) override;
    double stageWidth() override;
    double stageHeight() override;

    // ---- avm1::BitmapHost (ScriptHostBitmaps.cpp)
    bool attachBitmap(ClipId clip, std::shared_ptr<const BitmapSurface> bitmap, int depth, bool smoothing) override;
    bool drawClip(ClipId clip, const Matrix& matrix, const ColorTransform& cx, std::optional<Rect> clipRect,
                  BitmapSurface& target) override;
    bool exportedBitmap(ClipId clip, std::string_view name, BitmapSurface& out) override;
    std::vector<Filter> clipFilters(ClipId clip) override;
    void setClipFilters(ClipId clip, std::vector<Filter> filters) override;
    Matrix clipMatrix(ClipId clip) override;  // ScriptHostTransform.cpp
    void setClipMatrix(ClipId clip, const Matrix& m) override;

private:
    struct Queued {
        enum class Kind : uint8_t { Code, Event, Construct };
        Kind kind = Kind::Code;
        ClipId clip = avm1::kNoClip;
        std::span<const uint8_t> code;
        uint32_t event = 0;
        int version = 0;  // of the code's movie when not the clip's (imported init actions)
    };
    // _xscale, _yscale and _rotation as a script last set them: the player answers these (a
    // negative scale, a rotation past a flip) while the matrix's scale part stays as they made it.
    struct ScriptTransform {
        double xScale = 100, yScale = 100, rotation = 0;
        double a = 1, b = 0, c = 0, d = 1;
    };
    ScriptTransform scriptTransform(const DisplayObject& object) const;
    void setScriptTransform(DisplayObject& object, const ScriptTransform& t);
    struct PendingLoad {
        int level = -1;             // a level, or -1 for a clip
        ClipId clip = avm1::kNoClip;  // loadMovie into this clip
        std::string path;           // empty: unload
        std::string folder;         // of the movie that asked
        uint64_t request = 0;       // MovieClipLoader request to report to, or 0
        bool refused = false;       // the URL is no local file: only an error to report
        bool cancelled = false;     // unloaded before it began: the loader hears only its start
    };

    DisplayObject* object(ClipId clip) const;
    // The objects a clip or a button holds; null for other objects.
    static DisplayList* childList(DisplayObject& object);
    MovieClip* movieClip(ClipId clip) const;
    EditTextInstance* textField(ClipId clip) const;
    // Text fields bound to a variable show its value; a field's own text seeds an unset variable.
    void syncTextVariables();
    // everyFrame: the frame's pass (and a new field), which also follows plain objects.
    void syncTextVariable(ClipId field, bool everyFrame = false);
    void setBoundVariable(ClipId field, const std::string& text);
    avm1::Object* variableHolder(ClipId field, std::string_view path, bool& isClip);
    int versionOf(const DisplayObject& object) const;
    void runCode(ClipId clip, std::span<const uint8_t> code, int version);
    void runEvent(ClipId clip, uint32_t event);
    void drain();
    void performLoads();
    std::vector<MovieClip*> executionOrder();
    void collect(DisplayObject& object, std::vector<MovieClip*>& out);
    void markRemoved(DisplayObject& object, std::vector<ClipId>& unloads);
    // A clip with an unload handler stays in its parent's list, below every depth, until the
    // frame's scripts are done: scripts still find it by name while it unloads.
    bool hasUnloadHandler(DisplayObject& object);
    bool unloadingInPlace(const DisplayObject& object) const;
    void releaseUnloaded();
    // Common end of the clips scripts make: names, handles, events and first frame.
    ClipId adopt(MovieClip& parent, std::unique_ptr<DisplayObject> object, std::string_view name, int depth);
    void forgetMasks(ClipId clip);  // a clip goes: masks it gave or took end
    // opaqueBackground of clips (ScriptHostMasks.cpp).
    std::optional<avm1::Value> layerProperty(ClipId clip, std::string_view name);
    bool setLayerProperty(ClipId clip, std::string_view name, const avm1::Value& value);
    std::string folderOf(ClipId clip) const;
    bool resolveMoviePath(const std::string& folder, std::string_view url, std::string& path) const;

    Sinks sinks_;
    avm1::Limits limits_;
    std::unique_ptr<avm1::Interpreter> interpreter_;
    Stage* stage_ = nullptr;
    double frameRate_ = 12;
    uint64_t tick_ = 0;
    double timeMs_ = 0;
    uint64_t nextId_ = 1, nextSerial_ = 1, instanceNames_ = 0;
    std::unordered_map<ClipId, DisplayObject*> objects_;
    std::unordered_map<ClipId, ClipDrawing> drawings_;
    std::unordered_map<ClipId, ScriptTransform> transforms_;
    std::unordered_map<const uint8_t*, avm1::Code> codes_;
    std::set<std::pair<const PlayContext*, uint16_t>> initDone_;
    std::deque<Queued> initQueue_, constructQueue_, queue_;
    std::vector<std::unique_ptr<DisplayObject>> removed_;
    std::set<ClipId> unloadingInPlace_;
    std::vector<std::unique_ptr<PlayContext>> retiredContexts_, loadedContexts_;
    std::unordered_map<const PlayContext*, std::string> folders_;
    std::vector<PendingLoad> loads_;
    uint64_t nextLoadRequest_ = 1;
    struct PendingText {
        uint64_t request = 0;
        std::string path;  // empty: refused, reported as a failed load
    };
    std::vector<PendingText> texts_;
    std::vector<std::pair<uint64_t, ClipId>> loadErrors_;  // loader requests for files not there
    void reportLoadErrors();
    void performTextLoads();
    std::unordered_map<ClipId, ClipId> masks_;  // masked clip -> its setMask mask
    bool quit_ = false;
    bool unloading_ = false;  // an unload handler runs: removed clips still answer
    std::set<ClipId> seededVariables_;
    // The object a field's variable held when the field last showed it: shown again unconverted.
    std::unordered_map<ClipId, const avm1::Object*> boundObjects_;
};

}  // namespace kelmora::player::script
