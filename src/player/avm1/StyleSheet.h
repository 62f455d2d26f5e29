#pragma once
// TextField.StyleSheet, and what a text field keeps of the sheet it was given.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

void installStyleSheetClass(Interpreter& in);  // after the TextField and TextFormat classes

// A field's sheet (TextField.styleSheet) and the HTML it was last given while the sheet was
// attached, kept on the field's script object so that the sheet lives as long as the field.
struct FieldStyleSheet {
    Value sheet;  // an object, or undefined
    std::optional<std::string> html;
};
// Null when the field has none and `create` is false.
FieldStyleSheet* fieldStyleSheet(Interpreter& in, ClipId field, bool create);

// The styles of a sheet by selector, as its transform made them (the TextFormats in _styles).
std::vector<std::pair<std::string, TextFormatValues>> styleSheetFormats(Interpreter& in, const Value& sheet);

}  // namespace kelmora::player::avm1
