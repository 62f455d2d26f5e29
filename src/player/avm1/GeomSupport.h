#pragma once
// Helpers shared by the flash.geom, flash.display and flash.filters classes: the `flash.*`
// packages on _global, and reading/making Point, Rectangle, Matrix and ColorTransform objects.
#include <optional>
#include <span>
#include <string_view>

#include "player/Geometry.h"
#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

// _global.flash.<name> (made on first use; only movies of SWF 8 and later see `flash`).
Object* flashPackage(Interpreter& in, std::string_view name);
// An accessor property (get, optional set) defined on `on`.
void defineAccessor(Interpreter& in, Object* on, std::string_view name, NativeFunction get, NativeFunction set,
                    uint16_t flags = kDontEnum);

double memberNumber(Interpreter& in, Object* o, std::string_view name);
// New instances of the script classes, made through their current constructors' prototypes.
Object* newPoint(Interpreter& in, const Value& x, const Value& y);
Object* newRectangle(Interpreter& in, double x, double y, double w, double h);
Object* newMatrix(Interpreter& in, const Matrix& m);

// Rectangle-like object (x, y, width, height); empty when not an object.
std::optional<Rect> rectangleOf(Interpreter& in, const Value& v);
Matrix matrixOf(Interpreter& in, Object* o);

// A script ColorTransform's values as doubles (multipliers 1 = unchanged, offsets -255..255).
struct ScriptColorTransform {
    double rMult = 1, gMult = 1, bMult = 1, aMult = 1;
    double rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;
    ColorTransform toFixed() const;
    static ScriptColorTransform fromFixed(const ColorTransform& c);
};
// The ColorTransform native state of an object, or null.
ScriptColorTransform* colorTransformOf(const Value& v);
Object* newColorTransform(Interpreter& in, const ScriptColorTransform& c);

void installPointRectangleClasses(Interpreter& in);
void installMatrixClass(Interpreter& in);
void installColorTransformClass(Interpreter& in);
void installTransformClass(Interpreter& in);

}  // namespace kelmora::player::avm1
