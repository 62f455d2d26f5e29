// MovieClip.prototype: every method forwards to the display side through the Host.
#include <cmath>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

ClipId clipOf(Interpreter& in, const Value& self) {
    Object* o = self.object();
    return in.liveClip(o);
}

#define KELMORA_CLIP(NAME, ...)                                                     \
    Value NAME(Interpreter& in, const Value& self, std::span<const Value> args) {   \
        (void)args;                                                                 \
        ClipId c = clipOf(in, self);                                                \
        if (!c) return Value();                                                     \
        __VA_ARGS__                                                                     \
    }

// The player takes the frame as a 32-bit integer and counts from 0 with wrap-around: frame 0 and
// below do nothing, 2^31 wraps to the last frame.
void gotoNumber(Interpreter& in, ClipId c, double n, bool play) {
    if (!std::isfinite(n)) return;
    const auto zeroBased = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u);
    if (zeroBased < 0) return;
    in.host().gotoFrame(c, static_cast<uint32_t>(zeroBased), play);
}

void gotoValue(Interpreter& in, ClipId c, const Value& frame, bool play) {
    // An object names its frame by its text (a label or a number).
    if (frame.isString() || frame.isObject()) {
        const std::string text = frame.isString() ? frame.string() : in.toString(frame);
        double n = stringToNumber(text, 7);
        if (std::isnan(n)) {
            in.host().gotoLabel(c, text, play);
            return;
        }
        gotoNumber(in, c, n, play);
        return;
    }
    gotoNumber(in, c, in.toNumber(frame), play);
}

KELMORA_CLIP(play, in.host().setPlaying(c, true); return Value();)
KELMORA_CLIP(stop, in.host().setPlaying(c, false); return Value();)
KELMORA_CLIP(nextFrame, in.host().nextFrame(c); return Value();)
KELMORA_CLIP(prevFrame, in.host().prevFrame(c); return Value();)
KELMORA_CLIP(gotoAndPlay, gotoValue(in, c, arg(args, 0), true); return Value();)
KELMORA_CLIP(gotoAndStop, gotoValue(in, c, arg(args, 0), false); return Value();)
KELMORA_CLIP(getDepth, return Value(static_cast<double>(in.host().depth(c)));)
KELMORA_CLIP(getInstanceAtDepth, {
    if (args.empty()) return Value();
    ClipId found = in.host().instanceAtDepth(c, in.toInt(args[0]));
    return found ? Value(in.clipObject(found)) : Value();
})
KELMORA_CLIP(getNextHighestDepth, return Value(static_cast<double>(in.host().nextHighestDepth(c)));)
KELMORA_CLIP(removeMovieClip, in.host().removeClip(c); return Value();)
KELMORA_CLIP(unloadMovie, in.host().unloadMovie(c); return Value();)
// Everything is read at once: loaded is what the file holds of the length it declares.
Value bytesOf(Interpreter& in, ClipId c, uint32_t bytes) {
    if (bytes) return Value(static_cast<double>(bytes));
    return Value(static_cast<double>(in.host().getProperty(c, ClipProperty::TotalFrames).number() > 0 ? 1000 : 0));
}
KELMORA_CLIP(getBytesLoaded, return bytesOf(in, c, in.host().movieBytesLoaded(c));)
KELMORA_CLIP(getBytesTotal, return bytesOf(in, c, in.host().movieBytes(c));)
KELMORA_CLIP(getSWFVersion, {
    const int v = in.host().movieVersion(c);
    return v < 0 ? Value() : Value(static_cast<double>(v));
})

Value made(Interpreter& in, ClipId made, const Value& init) {
    if (!made) return Value();
    in.clipConstructed(made, init);
    return Value(in.clipObject(made));
}

KELMORA_CLIP(attachMovie, {
    std::string id = in.toString(arg(args, 0)), name = in.toString(arg(args, 1));
    return made(in, in.host().attachMovie(c, id, name, in.toInt(arg(args, 2))), arg(args, 3));
})
KELMORA_CLIP(duplicateMovieClip, {
    std::string name = in.toString(arg(args, 0));
    ClipId copy = in.host().duplicateClip(c, name, in.toInt(arg(args, 1)));
    // Only movie clips take an init object.
    const bool takesInit = copy && in.host().kind(copy) == ClipKind::MovieClip;
    return made(in, copy, takesInit ? arg(args, 2) : Value());
})
KELMORA_CLIP(createEmptyMovieClip, {
    std::string name = in.toString(arg(args, 0));
    ClipId n = in.host().createEmptyClip(c, name, in.toInt(arg(args, 1)));
    return n ? Value(in.clipObject(n)) : Value();
})
KELMORA_CLIP(createTextField, {
    std::string name = in.toString(arg(args, 0));
    Rect r{in.toNumber(arg(args, 2)), in.toNumber(arg(args, 3)), 0, 0};
    r.xMax = r.xMin + in.toNumber(arg(args, 4));
    r.yMax = r.yMin + in.toNumber(arg(args, 5));
    ClipId n = in.host().createTextField(c, name, in.toInt(arg(args, 1)), r);
    return n ? Value(in.clipObject(n)) : Value();
})
KELMORA_CLIP(swapDepths, {
    Value t = arg(args, 0);
    if (Object* o = t.object(); o && o->kind() == ObjectKind::Clip) in.host().swapWith(c, o->clip);
    else if (!t.isUndefined()) in.host().swapDepths(c, in.toInt(t));
    return Value();
})
// The clip an argument names: a clip, or a target path from the clip itself ('' names none).
ClipId clipArgument(Interpreter& in, ClipId c, const Value& v) {
    if (Object* o = v.object()) return o->kind() == ObjectKind::Clip ? in.liveClip(o) : kNoClip;
    if (v.isString() && !v.string().empty()) return in.resolveTarget(c, v.string());
    return kNoClip;
}

KELMORA_CLIP(getBounds, {
    ClipId space = c;
    if (Object* o = arg(args, 0).object(); o && o->kind() == ObjectKind::Clip) space = o->clip;
    else if (arg(args, 0).isString()) space = clipArgument(in, c, args[0]);
    if (!space) return Value();
    Rect r = in.host().bounds(c, space);
    Object* b = in.newObject();
    in.setMember(b, "xMin", Value(r.xMin));
    in.setMember(b, "xMax", Value(r.xMax));
    in.setMember(b, "yMin", Value(r.yMin));
    in.setMember(b, "yMax", Value(r.yMax));
    return Value(b);
})
KELMORA_CLIP(hitTest, {
    if (args.size() >= 2) {
        // The point is in the root's coordinates, not the stage's.
        const Matrix root = in.host().stageMatrix(in.host().rootOf(c));
        const Point p = root.apply({in.toNumber(args[0]) * 20, in.toNumber(args[1]) * 20});
        return Value(in.host().hitTestPoint(c, p.x / 20, p.y / 20, in.toBoolean(arg(args, 2))));
    }
    if (ClipId other = clipArgument(in, c, arg(args, 0))) return Value(in.host().hitTestClip(c, other));
    return Value(false);
})
// The mask is a clip or a clip's path; null or undefined takes the mask off.
KELMORA_CLIP(setMask, {
    if (args.empty()) return Value();
    const Value& m = args[0];
    ClipId mask = kNoClip;
    if (Object* o = m.object()) {
        if (o->kind() != ObjectKind::Clip || !in.host().exists(o->clip)) return Value(false);
        mask = o->clip;
    } else if (!m.isUndefined() && !m.isNull()) {
        mask = in.resolveTarget(in.currentTarget() ? in.currentTarget() : c, in.toString(m));
        if (mask == kNoClip) return Value(false);
    }
    in.host().setMask(c, mask);
    return Value(true);
})
KELMORA_CLIP(loadMovie, in.host().loadMovie(c, in.toString(arg(args, 0))); return Value();)
KELMORA_CLIP(getURL, {
    std::string url = in.toString(arg(args, 0)), target = in.toString(arg(args, 1));
    in.host().getUrl(url, target, 0);
    return Value();
})

// Point conversions between a clip's space and the stage, on an object {x, y} in pixels.
Value convertPoint(Interpreter& in, ClipId c, const Value& pt, bool toGlobal) {
    Object* p = pt.object();
    if (!p) return Value();
    Matrix m = in.host().stageMatrix(c);
    if (!toGlobal) m = m.inverted();
    Point q = m.apply({in.toNumber(in.getMember(p, "x")) * kTwipsPerPixel, in.toNumber(in.getMember(p, "y")) * kTwipsPerPixel});
    in.setMember(p, "x", Value(q.x / kTwipsPerPixel));
    in.setMember(p, "y", Value(q.y / kTwipsPerPixel));
    return Value();
}
KELMORA_CLIP(localToGlobal, return convertPoint(in, c, arg(args, 0), true);)
KELMORA_CLIP(globalToLocal, return convertPoint(in, c, arg(args, 0), false);)

// Drawing API.
uint32_t rgbArg(Interpreter& in, const Value& v) { return toUint32(in.toNumber(v)) & 0xFFFFFF; }
double alphaArg(Interpreter& in, const Value& v) {
    if (v.isUndefined()) return 100;
    double a = in.toNumber(v);
    return std::isnan(a) ? 100 : std::clamp(a, 0.0, 100.0);
}

KELMORA_CLIP(drawClear, in.host().draw(c, DrawCommand{}); return Value();)
KELMORA_CLIP(lineStyle, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::LineStyle;
    d.thickness = args.empty() || args[0].isUndefined() ? -1 : std::clamp(in.toNumber(args[0]), 0.0, 255.0);
    d.rgb = rgbArg(in, arg(args, 1));
    d.alpha = alphaArg(in, arg(args, 2));
    in.host().draw(c, d);
    return Value();
})
KELMORA_CLIP(beginFill, {
    DrawCommand d;
    d.kind = args.empty() || args[0].isUndefined() ? DrawCommand::Kind::EndFill : DrawCommand::Kind::BeginFill;
    d.rgb = rgbArg(in, arg(args, 0));
    d.alpha = alphaArg(in, arg(args, 1));
    in.host().draw(c, d);
    return Value();
})
// beginGradientFill(type, colors, alphas, ratios, matrix, spread, interpolation, focalPointRatio)
// and lineGradientStyle with the same arguments.
// A call with another type, more arguments, arrays of different lengths or a ratio outside 0 to
// 255 (after dropping its fraction) changes nothing.
bool gradientCommand(Interpreter& in, std::span<const Value> args, DrawCommand& d) {
    if (args.size() > 8) return false;
    const std::string type = in.toString(arg(args, 0));
    if (type != "linear" && type != "radial") return false;
    d.radial = type == "radial";
    Object* colors = arg(args, 1).object();
    Object* alphas = arg(args, 2).object();
    Object* ratios = arg(args, 3).object();
    Object* m = arg(args, 4).object();
    if (!colors || !alphas || !ratios || !m) return false;
    const int n = in.toInt(in.getMember(colors, "length"));
    if (n != in.toInt(in.getMember(alphas, "length")) || n != in.toInt(in.getMember(ratios, "length"))) return false;
    for (int i = 0; i < std::min(n, 15); ++i) {
        std::string k = std::to_string(i);
        const double ratio = std::trunc(in.toNumber(in.getMember(ratios, k)));
        if (ratio < 0 || ratio > 255) return false;
        d.colors.push_back(rgbArg(in, in.getMember(colors, k)));
        d.alphas.push_back(alphaArg(in, in.getMember(alphas, k)));
        d.ratios.push_back(std::isnan(ratio) ? 0 : ratio);
    }
    if (in.toString(in.getMember(m, "matrixType")) == "box") {
        double w = in.toNumber(in.getMember(m, "w")), h = in.toNumber(in.getMember(m, "h"));
        double r = in.toNumber(in.getMember(m, "r"));
        double x = in.toNumber(in.getMember(m, "x")), y = in.toNumber(in.getMember(m, "y"));
        // The gradient square is 1638.4 px wide, centred on the origin.
        double sx = w / 1638.4, sy = h / 1638.4;
        d.matrix = {sx * std::cos(r), sx * std::sin(r), -sy * std::sin(r), sy * std::cos(r), x + w / 2, y + h / 2};
    } else if (!in.getMember(m, "tx").isUndefined()) {
        // A flash.geom.Matrix (createGradientBox), already in the gradient square's scale.
        d.matrix = {in.toNumber(in.getMember(m, "a")), in.toNumber(in.getMember(m, "b")),
                    in.toNumber(in.getMember(m, "c")), in.toNumber(in.getMember(m, "d")),
                    in.toNumber(in.getMember(m, "tx")), in.toNumber(in.getMember(m, "ty"))};
    } else {
        // a b / d e / g h of a 3x3 matrix, already in the gradient square's scale.
        d.matrix = {in.toNumber(in.getMember(m, "a")), in.toNumber(in.getMember(m, "b")),
                    in.toNumber(in.getMember(m, "d")), in.toNumber(in.getMember(m, "e")),
                    in.toNumber(in.getMember(m, "g")), in.toNumber(in.getMember(m, "h"))};
    }
    const std::string spread = in.toString(arg(args, 5));
    d.spread = spread == "reflect" ? 1 : spread == "repeat" ? 2 : 0;
    d.linearRgb = in.toString(arg(args, 6)) == "linearRGB";
    if (args.size() > 7) {
        const double f = in.toNumber(args[7]);
        d.focalPoint = std::isnan(f) ? 0 : std::clamp(f, -1.0, 1.0);
    }
    return true;
}

KELMORA_CLIP(lineGradientStyle, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::LineGradientStyle;
    if (!gradientCommand(in, args, d)) return Value();
    in.host().draw(c, d);
    return Value();
})

KELMORA_CLIP(beginGradientFill, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::BeginGradientFill;
    if (!gradientCommand(in, args, d)) return Value();
    in.host().draw(c, d);
    return Value();
})
KELMORA_CLIP(endFill, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::EndFill;
    in.host().draw(c, d);
    return Value();
})
KELMORA_CLIP(moveTo, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::MoveTo;
    d.x = in.toNumber(arg(args, 0));
    d.y = in.toNumber(arg(args, 1));
    in.host().draw(c, d);
    return Value();
})
KELMORA_CLIP(lineTo, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::LineTo;
    d.x = in.toNumber(arg(args, 0));
    d.y = in.toNumber(arg(args, 1));
    in.host().draw(c, d);
    return Value();
})
KELMORA_CLIP(curveTo, {
    DrawCommand d;
    d.kind = DrawCommand::Kind::CurveTo;
    d.cx = in.toNumber(arg(args, 0));
    d.cy = in.toNumber(arg(args, 1));
    d.x = in.toNumber(arg(args, 2));
    d.y = in.toNumber(arg(args, 3));
    in.host().draw(c, d);
    return Value();
})
#undef KELMORA_CLIP

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installMovieClipClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.movieClipPrototype = proto;
    in.makeClass(in.global(), "MovieClip", noop, proto);
    struct Fn {
        const char* name;
        NativeFunction fn;
    };
    for (Fn f : {Fn{"play", play}, {"stop", stop}, {"nextFrame", nextFrame}, {"prevFrame", prevFrame},
                 {"gotoAndPlay", gotoAndPlay}, {"gotoAndStop", gotoAndStop}, {"getDepth", getDepth},
                 {"getNextHighestDepth", getNextHighestDepth}, {"getInstanceAtDepth", getInstanceAtDepth}, {"removeMovieClip", removeMovieClip},
                 {"unloadMovie", unloadMovie}, {"getBytesLoaded", getBytesLoaded}, {"getBytesTotal", getBytesTotal}, {"getSWFVersion", getSWFVersion},
                 {"attachMovie", attachMovie}, {"duplicateMovieClip", duplicateMovieClip},
                 {"createEmptyMovieClip", createEmptyMovieClip}, {"createTextField", createTextField},
                 {"swapDepths", swapDepths}, {"getBounds", getBounds}, {"getRect", getBounds}, {"hitTest", hitTest},
                 {"setMask", setMask}, {"loadMovie", loadMovie}, {"getURL", getURL}, {"localToGlobal", localToGlobal},
                 {"globalToLocal", globalToLocal}, {"clear", drawClear}, {"lineStyle", lineStyle},
                 {"beginFill", beginFill}, {"beginGradientFill", beginGradientFill}, {"endFill", endFill},
                 {"lineGradientStyle", lineGradientStyle},
                 {"moveTo", moveTo}, {"lineTo", lineTo}, {"curveTo", curveTo}, {"startDrag", noop}, {"stopDrag", noop}})
        in.method(proto, f.name, f.fn);

    Object* button = in.newObject();
    in.buttonPrototype = button;
    in.makeClass(in.global(), "Button", noop, button);
    in.method(button, "getDepth", getDepth);
    Object* text = in.newObject();
    in.textFieldPrototype = text;
    Object* textField = in.makeClass(in.global(), "TextField", noop, text);
    if (Property* p = textField->findOwn("prototype")) p->flags |= kOnlySwf6Up;  // none in SWF 5
    in.method(text, "getDepth", getDepth);
    in.method(text, "removeTextField", removeMovieClip);
    in.method(text, "swapDepths", swapDepths);
}

}  // namespace kelmora::player::avm1
