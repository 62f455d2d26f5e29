#pragma once
// What the interpreter needs from the display side. The player implements this interface; the
// interpreter never sees display objects, only ClipIds (opaque, never reused, 0 = none).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "player/Geometry.h"
#include "player/avm1/Value.h"

namespace kelmora::player::avm1 {

using ClipId = uint64_t;
inline constexpr ClipId kNoClip = 0;

// The property indexes of GetProperty/SetProperty (SWF 4), in file order.
enum class ClipProperty : int {
    X = 0, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width, Height, Rotation, Target,
    FramesLoaded, Name, DropTarget, Url, HighQuality, FocusRect, SoundBufTime, Quality, XMouse, YMouse,
};
inline constexpr int kClipPropertyCount = 22;

enum class ClipKind : uint8_t { MovieClip, Button, TextField };

// One call of the drawing API (MovieClip.lineStyle, beginFill, moveTo...).
struct DrawCommand {
    enum class Kind : uint8_t {
        Clear, LineStyle, BeginFill, BeginGradientFill, EndFill, MoveTo, LineTo, CurveTo, LineGradientStyle
    };
    Kind kind = Kind::Clear;
    double x = 0, y = 0, cx = 0, cy = 0;  // pixels in the clip's space (curveTo: control cx,cy; anchor x,y)
    double thickness = -1;                // lineStyle: undefined thickness (-1) means no line
    uint32_t rgb = 0;
    double alpha = 100;  // 0..100
    // beginGradientFill and lineGradientStyle
    bool radial = false;
    std::vector<uint32_t> colors;
    std::vector<double> alphas, ratios;
    // Maps the gradient square (-819.2..819.2 pixels each way) into the clip's pixels.
    Matrix matrix;
    uint8_t spread = 0;      // 0 pad, 1 reflect, 2 repeat
    bool linearRgb = false;  // colours mixed in linear RGB
    double focalPoint = 0;   // radial gradients: -1..1 along the x axis; 0 is no focal point
};

// A TextFormat as scripts see it: every field may be null (unset, or mixed over a span of text).
struct TextFormatValues {
    std::optional<std::string> font, url, target, align, display;
    std::optional<double> size, color, leftMargin, rightMargin, indent, blockIndent, leading, letterSpacing;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<std::vector<double>> tabStops;
};

class Host {
public:
    virtual ~Host() = default;

    // Output and errors. `trace` gets one line without its line break.
    virtual void trace(std::string_view line) = 0;
    virtual void reportError(std::string_view message) = 0;
    // Milliseconds since the movie started, on the player's frame clock (getTimer, Date).
    virtual double timeMs() = 0;

    // The clip tree.
    virtual ClipId level(int n) = 0;                  // kNoClip when no movie is in level n
    virtual int levelNumber(ClipId clip) = 0;         // n when clip is _leveln, else -1
    virtual ClipId rootOf(ClipId clip) = 0;           // _root of the movie the clip belongs to
    virtual ClipId parent(ClipId clip) = 0;           // kNoClip for a level
    virtual ClipId child(ClipId clip, std::string_view name, bool caseSensitive) = 0;
    virtual std::vector<ClipId> children(ClipId clip) = 0;  // named children, for for..in
    virtual bool exists(ClipId clip) = 0;
    virtual ClipKind kind(ClipId clip) = 0;
    virtual std::string name(ClipId clip) = 0;
    virtual std::string exportName(ClipId clip) = 0;  // linkage name of its symbol, or empty
    // Whether the clip's symbol is exported under this name (one symbol may have several).
    virtual bool exportedAs(ClipId clip, std::string_view name, bool caseSensitive) {
        (void)caseSensitive;
        return exportName(clip) == name;
    }

    // Properties 0-21. Getters return numbers, except _name, _target, _droptarget, _url
    // and _quality (strings) and _visible (boolean). Setters get a number, or the text for _name
    // and _quality.
    virtual Value getProperty(ClipId clip, ClipProperty p) = 0;
    virtual void setProperty(ClipId clip, ClipProperty p, double number, std::string_view text) = 0;
    // Other named properties the display side keeps (TextField text/htmlText/textColor...,
    // MovieClip _lockroot, enabled...). Empty when the host has no such property.
    virtual std::optional<Value> getNamed(ClipId clip, std::string_view name) = 0;
    virtual bool setNamed(ClipId clip, std::string_view name, const Value& value) = 0;

    // Timeline control; frames are 0-based.
    virtual void gotoFrame(ClipId clip, uint32_t frame, bool play) = 0;
    virtual bool gotoLabel(ClipId clip, std::string_view label, bool play) = 0;
    virtual void setPlaying(ClipId clip, bool playing) = 0;
    virtual void nextFrame(ClipId clip) = 0;
    virtual void prevFrame(ClipId clip) = 0;
    virtual void stopSounds() = 0;
    // The Call action: the DoAction bodies of a clip's frame (0-based), and the frame of a label.
    virtual std::vector<std::span<const uint8_t>> frameActions(ClipId, uint32_t) { return {}; }
    virtual std::optional<uint32_t> labelFrame(ClipId, std::string_view) { return std::nullopt; }

    // Clips made and removed by scripts; each returns kNoClip when refused.
    virtual ClipId duplicateClip(ClipId source, std::string_view newName, int depth) = 0;
    virtual ClipId attachMovie(ClipId parent, std::string_view exportName, std::string_view newName, int depth) = 0;
    virtual ClipId createEmptyClip(ClipId parent, std::string_view newName, int depth) = 0;
    virtual ClipId createTextField(ClipId parent, std::string_view newName, int depth, Rect pixels) = 0;
    virtual void removeClip(ClipId clip) = 0;  // only script-made or depth >= 0 clips are removed
    virtual int depth(ClipId clip) = 0;
    virtual int nextHighestDepth(ClipId clip) = 0;
    // What a script finds at a depth of the clip: the object there, the clip itself when only a
    // shape is there, none when the depth is empty.
    virtual ClipId instanceAtDepth(ClipId, int) { return kNoClip; }
    // The movie a clip comes from: its SWF version and declared file length (0 when unknown); a
    // sprite counts the bytes of its definition.
    virtual int movieVersion(ClipId) { return -1; }
    virtual uint32_t movieBytes(ClipId) { return 0; }
    // Of those, how many have arrived (a file shorter than it declares has fewer).
    virtual uint32_t movieBytesLoaded(ClipId clip) { return movieBytes(clip); }
    // The size of the movie's file as read, compressed or not: what a loader counts.
    virtual uint32_t movieFileBytes(ClipId clip) { return movieBytes(clip); }
    virtual void swapDepths(ClipId clip, int depth) = 0;
    virtual void swapWith(ClipId clip, ClipId other) = 0;
    // Bounds in pixels in the space of `space` (the clip itself when space == clip).
    virtual Rect bounds(ClipId clip, ClipId space) = 0;
    virtual bool hitTestPoint(ClipId clip, double stageX, double stageY, bool shapeFlag) = 0;
    virtual bool hitTestClip(ClipId clip, ClipId other) = 0;
    virtual void setMask(ClipId clip, ClipId mask) = 0;  // mask kNoClip removes it
    virtual void draw(ClipId clip, const DrawCommand& command) = 0;
    virtual ColorTransform colorTransform(ClipId clip) = 0;  // the Color class
    virtual void setColorTransform(ClipId clip, const ColorTransform& cx) = 0;
    virtual Matrix stageMatrix(ClipId clip) = 0;  // clip space (twips) to stage (twips)

    // Loading and the outside world. target: "_levelN", "_blank"... as written by the movie.
    virtual void getUrl(std::string_view url, std::string_view target, int method) = 0;
    virtual void loadMovie(ClipId target, std::string_view url) = 0;
    virtual void loadMovieNum(int level, std::string_view url) = 0;
    virtual void unloadMovie(ClipId target) = 0;
    // MovieClipLoader.loadClip: loads like loadMovie (target kNoClip: into `level`) and answers a
    // request number (0 when refused) that the host later names in Interpreter::loadEvent.
    virtual uint64_t loadClip(ClipId target, int level, std::string_view url) {
        (void)target, (void)level, (void)url;
        return 0;
    }
    virtual void fsCommand(std::string_view command, std::string_view args) = 0;
    // LoadVars.load and loadVariables: reads a local text file beside the movie with the next
    // frame and hands it to Interpreter::textLoaded. 0 when refused.
    virtual uint64_t loadText(ClipId from, std::string_view url) {
        (void)from, (void)url;
        return 0;
    }
    // Sounds exported from the clip's movie (Sound.attachSound): length in milliseconds, or a
    // negative number when there is no such sound; start and stop it in the movie's sound track.
    virtual double soundLength(ClipId clip, std::string_view exportName) {
        (void)clip, (void)exportName;
        return -1;
    }
    virtual void startSound(ClipId clip, std::string_view exportName, double offsetSeconds, int loops) {
        (void)clip, (void)exportName, (void)offsetSeconds, (void)loops;
    }
    virtual void stopSound(ClipId clip, std::string_view exportName) { (void)clip, (void)exportName; }

    // Text fields. Indexes are characters of the field's text; begin < 0 means the whole text.
    // The defaults answer for hosts without text fields.
    virtual std::optional<TextFormatValues> textFormat(ClipId, int /*begin*/, int /*end*/) { return std::nullopt; }
    virtual void setTextFormat(ClipId, int /*begin*/, int /*end*/, const TextFormatValues&) {}
    virtual std::optional<TextFormatValues> newTextFormat(ClipId) { return std::nullopt; }
    virtual void setNewTextFormat(ClipId, const TextFormatValues&) {}
    virtual void replaceText(ClipId, int /*begin*/, int /*end*/, std::string_view /*text*/) {}
    // The static text of a clip's own display list in depth order, one entry per line of text
    // (TextSnapshot).
    virtual std::vector<std::u32string> staticText(ClipId) { return {}; }
    // Width and height in pixels of a text laid out in a format (TextFormat.getTextExtent).
    virtual Rect textExtent(const TextFormatValues&, std::string_view /*text*/, double /*width*/) { return {}; }

    // Stage.
    virtual double stageWidth() = 0;
    virtual double stageHeight() = 0;
};

}  // namespace kelmora::player::avm1
