#pragma once
// Installers of the built-in classes and global functions, one file each.
#include <span>
#include <string>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

void installObjectClass(Interpreter& in);     // Object, Function (prototypes made by the interpreter)
void installArrayClass(Interpreter& in);
void installStringClass(Interpreter& in);
void installNumberBooleanClasses(Interpreter& in);
void installMathClass(Interpreter& in);
void installDateClass(Interpreter& in);
void installGlobalFunctions(Interpreter& in);  // trace, parseInt, setInterval, ASSetPropFlags...
void installMovieClipClass(Interpreter& in);
void installStageClasses(Interpreter& in);
void installSoundClass(Interpreter& in);
void installMovieClipLoaderClass(Interpreter& in);  // after the stage classes (AsBroadcaster)
void installLoadVarsClass(Interpreter& in);          // after the placeholder classes
// Text of a loaded file as the player reads it: the code page for SWF 5 or System.useCodepage,
// else UTF-8 (kept as UTF-8, damaged sequences read leniently).
std::string decodeLoadedText(Interpreter& in, std::string_view bytes);
// Sets the variables of URL-encoded text ("a=1&b=two") on an object.
void decodeVariables(Interpreter& in, Object* into, std::string_view text);
void installColorClass(Interpreter& in);      // Color, and stubs of outside-world classes    // Stage, Key, Mouse, System, Color, TextField, Error
void installGeomClasses(Interpreter& in);       // flash.geom: Point, Rectangle, Matrix, ColorTransform
void installBitmapDataClass(Interpreter& in);   // flash.display.BitmapData
void installFilterClasses(Interpreter& in);     // flash.filters
void installExternalInterfaceClass(Interpreter& in);  // flash.external.ExternalInterface
// System's capabilities, security and settings objects, on the System object.
void installSystemDetails(Interpreter& in, Object* system);
// Accessibility: an object whose methods say no screen reader is there.
void installAccessibility(Interpreter& in);
// The player's version as $version and System.capabilities.version give it.
const char* playerVersionString();
// System.security.sandboxType: "localWithFile" or "localWithNetwork", from the root movie's attributes.
void setSandboxType(Interpreter& in, std::string_view type);

// escape(): letters and digits stay, every other byte becomes %XX.
void urlEncode(std::string_view s, std::string& out);

// The object of a dotted package ("flash.external") under _global, made on first use.
Object* packageObject(Interpreter& in, std::string_view path);

// Helpers for native functions.
inline Value arg(std::span<const Value> args, size_t i) { return i < args.size() ? args[i] : Value(); }

}  // namespace kelmora::player::avm1
