// The interpreter's view of the display tree: handles, levels, names and properties.
#include <algorithm>
#include <cmath>

#include "player/avm1/Frame.h"
#include "player/avm1/TextClasses.h"
#include "player/avm1/Value.h"
#include "player/display/Bounds.h"
#include "player/display/EditTextObject.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/script/ScriptEngine.h"
#include "player/script/ShapeHitTest.h"

namespace kelmora::player::script {

using avm1::ClipProperty;
using avm1::Value;

namespace {
constexpr double kPi = 3.14159265358979323846;
bool scriptable(const DisplayObject& o) {
    const CharacterKind k = o.kind();
    return k == CharacterKind::Sprite || k == CharacterKind::Button || k == CharacterKind::EditText ||
           k == CharacterKind::Video;
}
}  // namespace

void ScriptEngine::trace(std::string_view line) {
    if (sinks_.trace) sinks_.trace(std::string(line));
}

void ScriptEngine::reportError(std::string_view message) {
    if (sinks_.report) sinks_.report(std::string(message));
}

bool ScriptEngine::exists(ClipId clip) {
    DisplayObject* o = object(clip);
    return o && (!o->removed || unloading_ || unloadingInPlace(*o));
}

ClipId ScriptEngine::level(int n) {
    MovieClip* root = stage_ ? stage_->level(n) : nullptr;
    return root ? root->scriptId : avm1::kNoClip;
}

int ScriptEngine::levelNumber(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o || o->parent || !stage_) return -1;
    for (const auto& [n, level] : stage_->levels())
        if (level.root.get() == o) return n;
    return -1;
}

ClipId ScriptEngine::rootOf(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o) return level(0);
    // A loaded movie's _root is its level's, unless its own root locks it.
    while (o->parent && !(o->movieRoot && locksRoot(o->scriptId))) o = o->parent;
    return o->scriptId;
}

ClipId ScriptEngine::parent(ClipId clip) {
    DisplayObject* o = object(clip);
    return o && o->parent ? o->parent->scriptId : avm1::kNoClip;
}

bool ScriptEngine::buttonIsObject(const DisplayObject& o) const {
    return o.kind() != CharacterKind::Button || versionOf(o) >= 6;
}

ClipId ScriptEngine::child(ClipId clip, std::string_view name, bool caseSensitive) {
    DisplayObject* p = object(clip);
    DisplayList* list = p ? childList(*p) : nullptr;
    if (!list || name.empty()) return avm1::kNoClip;
    avm1::NameEqual eq{caseSensitive};
    bool namedShape = false;
    for (const auto& [d, o] : *list) {
        if (!eq(o->name, name)) continue;
        if (scriptable(*o) && buttonIsObject(*o)) return o->scriptId;
        namedShape = true;
    }
    // A shape given a name has no script object of its own: the name finds the clip holding it.
    return namedShape ? clip : avm1::kNoClip;
}

std::vector<ClipId> ScriptEngine::children(ClipId clip) {
    std::vector<ClipId> out;
    DisplayObject* p = object(clip);
    if (DisplayList* list = p ? childList(*p) : nullptr)
        for (const auto& [d, o] : *list)
            if (scriptable(*o) && !o->name.empty()) out.push_back(o->scriptId);
    return out;
}

avm1::ClipKind ScriptEngine::kind(ClipId clip) {
    DisplayObject* o = object(clip);
    if (o && o->kind() == CharacterKind::Button) return avm1::ClipKind::Button;
    if (o && o->kind() == CharacterKind::EditText) return avm1::ClipKind::TextField;
    return avm1::ClipKind::MovieClip;
}

std::string ScriptEngine::name(ClipId clip) {
    DisplayObject* o = object(clip);
    return o ? o->name : std::string();
}

std::string ScriptEngine::exportName(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o || !o->character()) return {};
    const auto& names = o->context().movie().exportNames();
    auto it = names.find(o->characterId());
    return it == names.end() ? std::string() : it->second;
}

bool ScriptEngine::exportedAs(ClipId clip, std::string_view name, bool caseSensitive) {
    DisplayObject* o = object(clip);
    if (!o || !o->character()) return false;
    const auto& exports = o->context().movie().exports();
    if (auto it = exports.find(std::string(name)); it != exports.end()) return it->second == o->characterId();
    if (caseSensitive) return false;
    avm1::NameEqual eq{false};
    for (const auto& [n, id] : exports)
        if (id == o->characterId() && eq(n, name)) return true;
    return false;
}

// ---------------------------------------------------------------- properties

namespace {

double xScaleOf(const Matrix& m) { return std::hypot(m.a, m.b) * 100; }
double yScaleOf(const Matrix& m) { return std::hypot(m.c, m.d) * 100; }
double rotationOf(const Matrix& m) { return std::atan2(m.b, m.a) * 180 / kPi; }

// Flash shows numbers the matrix holds in twips and 16.16 fixed point.
double tidy(double v, double step) { return std::round(v / step) * step; }

double wrapDegrees(double v) {
    double r = std::fmod(v, 360.0);
    if (r > 180) r -= 360;
    if (r < -180) r += 360;
    return r;
}

void setScaleRotation(Matrix& m, double xs, double ys, double rotationDeg) {
    const double r = rotationDeg * kPi / 180;
    // Keep a skew the matrix may carry: the y axis keeps its angle to the x axis.
    const double skew = std::atan2(-m.c, m.d) - std::atan2(m.b, m.a);
    const double ry = r + (std::isfinite(skew) ? skew : 0);
    m.a = xs / 100 * std::cos(r);
    m.b = xs / 100 * std::sin(r);
    m.c = -ys / 100 * std::sin(ry);
    m.d = ys / 100 * std::cos(ry);
}

}  // namespace

ScriptEngine::ScriptTransform ScriptEngine::scriptTransform(const DisplayObject& o) const {
    const Matrix& m = o.matrix;
    if (auto it = transforms_.find(o.scriptId); it != transforms_.end()) {
        const ScriptTransform& t = it->second;
        if (t.a == m.a && t.b == m.b && t.c == m.c && t.d == m.d) return t;  // the timeline left it
    }
    return {xScaleOf(m), yScaleOf(m), rotationOf(m), m.a, m.b, m.c, m.d};
}

void ScriptEngine::setScriptTransform(DisplayObject& o, const ScriptTransform& given) {
    ScriptTransform t = given;
    Matrix& m = o.matrix;
    setScaleRotation(m, t.xScale, t.yScale, t.rotation);
    t.a = m.a, t.b = m.b, t.c = m.c, t.d = m.d;
    transforms_[o.scriptId] = t;
}

Value ScriptEngine::getProperty(ClipId clip, ClipProperty p) {
    DisplayObject* o = object(clip);
    if (!o) return Value();
    MovieClip* c = o->asMovieClip();
    const Matrix& m = o->matrix;
    switch (p) {
    case ClipProperty::X: return Value(tidy((m.tx + fieldBoxOffset(*o).x) / kTwipsPerPixel, 0.05));
    case ClipProperty::Y: return Value(tidy((m.ty + fieldBoxOffset(*o).y) / kTwipsPerPixel, 0.05));
    case ClipProperty::XScale: return Value(scriptTransform(*o).xScale);
    case ClipProperty::YScale: return Value(scriptTransform(*o).yScale);
    case ClipProperty::Rotation: return Value(scriptTransform(*o).rotation);
    case ClipProperty::CurrentFrame: return c ? Value(static_cast<double>(c->currentFrame() + 1)) : Value();
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded: return c ? Value(static_cast<double>(c->totalFrames())) : Value();
    case ClipProperty::Alpha: return Value(o->colorTransform.aMult * 100.0 / 256);
    case ClipProperty::Visible: return Value(o->visible);
    case ClipProperty::Width:
    case ClipProperty::Height: {
        flushDrawings();
        Rect b = drawnBounds(*o, m);
        if (b.empty()) return Value(0.0);
        return Value(tidy((p == ClipProperty::Width ? b.width() : b.height()) / kTwipsPerPixel, 0.05));
    }
    case ClipProperty::Name: return Value(o->name);
    case ClipProperty::DropTarget: return Value("");
    case ClipProperty::Url: return Value("file:///" + folderOf(clip) + "/");
    case ClipProperty::FocusRect: return focusRect(clip);
    case ClipProperty::HighQuality:
    case ClipProperty::SoundBufTime:
    case ClipProperty::Quality: return playerSetting(p);
    case ClipProperty::XMouse:
    case ClipProperty::YMouse: return Value(0.0);
    default: return Value();
    }
}

void ScriptEngine::markTransformedByScript(DisplayObject& o, ClipProperty p) {
    switch (p) {
    case ClipProperty::X:
    case ClipProperty::Y:
    case ClipProperty::XScale:
    case ClipProperty::YScale:
    case ClipProperty::Rotation:
    case ClipProperty::Width:
    case ClipProperty::Height: o.transformedByScript = true; break;
    default: break;
    }
}

void ScriptEngine::setProperty(ClipId clip, ClipProperty p, double v, std::string_view text) {
    DisplayObject* o = object(clip);
    if (!o) return;
    markTransformedByScript(*o, p);
    Matrix& m = o->matrix;
    // Positions are whole twips in 32 bits: anything outside (infinities too) becomes the
    // smallest, as the player's conversion gives.
    auto clampTwips = [](double px) {
        const double t = px * kTwipsPerPixel;
        return std::isfinite(t) && t >= -2147483648.0 && t <= 2147483647.0 ? t : -2147483648.0;
    };
    switch (p) {
    case ClipProperty::X: m.tx = clampTwips(v - fieldBoxOffset(*o).x / kTwipsPerPixel); break;
    case ClipProperty::Y: m.ty = clampTwips(v - fieldBoxOffset(*o).y / kTwipsPerPixel); break;
    case ClipProperty::XScale:
    case ClipProperty::YScale:
    case ClipProperty::Rotation: {
        if (!std::isfinite(v)) break;
        ScriptTransform t = scriptTransform(*o);
        if (p == ClipProperty::XScale) t.xScale = v;
        else if (p == ClipProperty::YScale) t.yScale = v;
        else t.rotation = wrapDegrees(v);
        setScriptTransform(*o, t);
        break;
    }
    case ClipProperty::Alpha: o->colorTransform.aMult = static_cast<int16_t>(std::clamp(v * 2.56, -32768.0, 32767.0)); break;
    case ClipProperty::Visible:
        o->visible = v != 0;
        if (!o->visible) avm1::checkFocus(*interpreter_);  // a hidden object loses the focus
        break;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        flushDrawings();
        Rect b = drawnBounds(*o, m);
        const double now = (p == ClipProperty::Width ? b.width() : b.height()) / kTwipsPerPixel;
        if (b.empty() || now <= 0) break;
        ScriptTransform t = scriptTransform(*o);
        double& scale = p == ClipProperty::Width ? t.xScale : t.yScale;
        const double to = scale * (v / now);
        if (!std::isfinite(to)) break;  // a degenerate box gives no usable scale
        scale = to;
        setScriptTransform(*o, t);
        break;
    }
    case ClipProperty::Name: o->name = text; break;
    case ClipProperty::HighQuality:
    case ClipProperty::SoundBufTime:
    case ClipProperty::Quality: setPlayerSetting(p, v, text); break;
    case ClipProperty::FocusRect: clipStates_[clip].focusRect = v != 0; break;
    default: break;
    }
}

// ---------------------------------------------------------------- timeline control

void ScriptEngine::gotoFrame(ClipId clip, uint32_t frame, bool play) {
    MovieClip* c = movieClip(clip);
    if (!c || !exists(clip)) return;  // a removed clip plays no more frames
    // Past the end the playhead goes to the last frame but leaves its scripts unrun.
    c->gotoFrame(frame, frame < c->totalFrames());
    if (play) c->play();
    else c->stop();
}

bool ScriptEngine::gotoLabel(ClipId clip, std::string_view label, bool play) {
    // "path:frame" and "path:label" name another clip's frame.
    if (auto colon = label.rfind(':'); colon != std::string_view::npos) {
        ClipId target = interpreter_->resolveTarget(clip, label.substr(0, colon));
        std::string_view frame = label.substr(colon + 1);
        if (!target) return false;
        double n = avm1::stringToNumber(frame, 7);
        if (std::isfinite(n)) {
            gotoFrame(target, n < 1 ? 0 : static_cast<uint32_t>(std::min(n, 1e6)) - 1, play);
            return true;
        }
        return gotoLabel(target, frame, play);
    }
    MovieClip* c = movieClip(clip);
    if (!c) return false;
    const auto& labels = c->timeline().labels;
    auto it = labels.find(std::string(label));
    if (it == labels.end()) {
        avm1::NameEqual eq{false};
        for (it = labels.begin(); it != labels.end(); ++it)
            if (eq(it->first, label)) break;
    }
    if (it == labels.end()) return false;
    gotoFrame(clip, it->second, play);
    return true;
}

void ScriptEngine::setPlaying(ClipId clip, bool playing) {
    if (MovieClip* c = movieClip(clip)) playing ? c->play() : c->stop();
}

void ScriptEngine::nextFrame(ClipId clip) {
    MovieClip* c = movieClip(clip);
    if (c && c->currentFrame() + 1 < c->totalFrames()) gotoFrame(clip, c->currentFrame() + 1, false);
    else if (c) c->stop();
}

void ScriptEngine::prevFrame(ClipId clip) {
    MovieClip* c = movieClip(clip);
    if (c && c->currentFrame() > 0) gotoFrame(clip, c->currentFrame() - 1, false);
    else if (c) c->stop();
}

// ---------------------------------------------------------------- geometry

Matrix ScriptEngine::stageMatrix(ClipId clip) {
    Matrix m;
    for (DisplayObject* o = object(clip); o; o = o->parent) m = o->matrix * m;
    return m;
}

Rect ScriptEngine::bounds(ClipId clip, ClipId space) {
    flushDrawings();
    DisplayObject* o = object(clip);
    if (!o) return {};
    // The player boxes the clip's own box on the stage, then boxes that again in the other
    // clip's space, in whole twips.
    auto twips = [](Rect r) {
        return Rect{std::round(r.xMin), std::round(r.yMin), std::round(r.xMax), std::round(r.yMax)};
    };
    const avm1::Frame* f = interpreter_->currentFrame();
    if (interpreter_->swfVersion() >= 8 || (f && f->version >= 8)) singlePrecisionBounds_ = true;
    Rect b = twips(drawnBounds(*o, Matrix{}));
    if (b.empty()) return noBounds(space != clip);
    if (space != clip) {
        b = twips(b.transformed(stageMatrix(clip)));
        b = twips(b.transformed(stageMatrix(space).inverted()));
    }
    return {b.xMin / kTwipsPerPixel, b.yMin / kTwipsPerPixel, b.xMax / kTwipsPerPixel, b.yMax / kTwipsPerPixel};
}

// A clip that draws nothing answers 0x7FFFFFF twips on every side. Seen from another clip's
// space that number passes through single precision (2^27 twips) once the root movie is SWF 8 or
// later, or code of such a movie has asked for bounds: the player keeps that mode from then on.
Rect ScriptEngine::noBounds(bool otherSpace) {
    constexpr double kNone = 0x7FFFFFF;
    const double v = (otherSpace && singlePrecisionBounds_ ? static_cast<double>(static_cast<float>(kNone)) : kNone) / kTwipsPerPixel;
    return {v, v, v, v};
}

bool ScriptEngine::hitTestPoint(ClipId clip, double x, double y, bool shapeFlag) {
    flushDrawings();
    DisplayObject* o = object(clip);
    if (!o) return false;
    const double tx = x * kTwipsPerPixel, ty = y * kTwipsPerPixel;
    if (shapeFlag) return objectContains(*o, stageMatrix(clip), {tx, ty});
    Rect b = drawnBounds(*o, stageMatrix(clip));
    return !b.empty() && tx >= b.xMin && tx <= b.xMax && ty >= b.yMin && ty <= b.yMax;
}

bool ScriptEngine::hitTestClip(ClipId clip, ClipId other) {
    DisplayObject* a = object(clip);
    DisplayObject* b = object(other);
    if (!a || !b) return false;
    Rect ra = drawnBounds(*a, stageMatrix(clip)), rb = drawnBounds(*b, stageMatrix(other));
    if (ra.empty() || rb.empty()) return false;
    return ra.xMin <= rb.xMax && rb.xMin <= ra.xMax && ra.yMin <= rb.yMax && rb.yMin <= ra.yMax;
}

ColorTransform ScriptEngine::colorTransform(ClipId clip) {
    DisplayObject* o = object(clip);
    return o ? o->colorTransform : ColorTransform{};
}

void ScriptEngine::setColorTransform(ClipId clip, const ColorTransform& cx) {
    if (DisplayObject* o = object(clip)) o->colorTransform = cx;
}

double ScriptEngine::stageWidth() { return stage_ ? stage_->movie().header().pixelWidth() : 0; }
double ScriptEngine::stageHeight() { return stage_ ? stage_->movie().header().pixelHeight() : 0; }

}  // namespace kelmora::player::script

namespace kelmora::player::script {

void ScriptEngine::stopSounds() {
    if (!stage_) return;
    for (auto& [n, level] : stage_->levels()) level.root->context().sounds.stopAll();
}

}  // namespace kelmora::player::script
