#pragma once
// The text classes: TextFormat, TextField's methods, Selection and TextSnapshot.
#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

// Sets field `field` (the constructor's argument order, then blockIndent, tabStops, bullet,
// kerning, letterSpacing, display) from a script value, converted as the player does (the
// constructor converts some fields differently from the property setters).
void setTextFormatField(Interpreter& in, TextFormatValues& format, int field, const Value& v, bool fromConstructor);
Object* newTextFormatObject(Interpreter& in, const TextFormatValues& values);
// The values of a TextFormat object, or null when `v` is none.
const TextFormatValues* textFormatOf(const Value& v);

void installTextFormatClass(Interpreter& in);
void installTextFieldMethods(Interpreter& in);  // after the MovieClip class made TextField
void installSelection(Interpreter& in);         // after the stage classes (AsBroadcaster)
void installTextSnapshot(Interpreter& in);      // after the MovieClip class

// _focusrect: a level's is the movie's setting (true by default), any other clip's its own
// (null until set).
Value focusRect(Interpreter& in, ClipId clip);
void setFocusRect(Interpreter& in, ClipId clip, const Value& value);

// Takes the focus from an object that was removed or hidden, telling Selection's listeners.
void checkFocus(Interpreter& in);

}  // namespace kelmora::player::avm1
