#pragma once
// A dynamic or input text field as DefineEditText defines it.
#include <cstdint>
#include <string>

#include "player/Character.h"
#include "player/Geometry.h"

namespace kelmora::player {

enum class TextAlign : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextDef : Character {
    EditTextDef() : Character(CharacterKind::EditText) {}
    Rect bounds;  // twips
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false, useOutlines = false;
    bool hasFont = false, hasTextColor = false, hasMaxLength = false, hasLayout = false;
    uint16_t fontId = 0;
    std::string fontClass;
    double fontHeight = 240;  // twips (12 px unless the tag says otherwise)
    Rgba textColor{0, 0, 0, 255};
    uint16_t maxLength = 0;   // 0: no limit
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;  // twips
    std::string variableName;
    std::string initialText;  // HTML when `html` is set

    // Set by scripts on a field's own copy (the file has one flag for border and background).
    enum class AutoSize : uint8_t { None, Left, Center, Right };
    AutoSize autoSizeMode = AutoSize::None;  // None with `autoSize` set: anchored by the alignment
    bool background = false, condenseWhite = false, hasRestrict = false;
    Rgba backgroundColor{255, 255, 255, 255}, borderColor{0, 0, 0, 255};
    std::string restrict;
    int hscroll = 0;  // pixels the text is scrolled left by (TextField.hscroll)
    int swfVersion = 8;  // of the movie the field is in
};

}  // namespace kelmora::player
