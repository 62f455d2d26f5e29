#pragma once
// Dictionary entries that wrap the definitions parsed by the shape, text and media code, plus the
// button and video definitions read here.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/render/EffectsApi.h"
#include "player/shape/ShapeApi.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

struct ShapeCharacter : Character {
    ShapeCharacter(uint16_t id, std::shared_ptr<const ShapeDef> s, Rect b)
        : Character(CharacterKind::Shape, id), shape(std::move(s)), bounds(b) {}
    std::shared_ptr<const ShapeDef> shape;
    Rect bounds;
};

struct MorphCharacter : Character {
    MorphCharacter(uint16_t id, std::shared_ptr<const MorphShapeDef> m)
        : Character(CharacterKind::MorphShape, id), morph(std::move(m)) {}
    std::shared_ptr<const MorphShapeDef> morph;
};

struct FontCharacter : Character {
    FontCharacter(uint16_t id, std::shared_ptr<FontDef> f) : Character(CharacterKind::Font, id), font(std::move(f)) {}
    std::shared_ptr<FontDef> font;
};

struct TextCharacter : Character {
    TextCharacter(uint16_t id, std::shared_ptr<const TextDef> t, Rect b)
        : Character(CharacterKind::Text, id), text(std::move(t)), bounds(b) {}
    std::shared_ptr<const TextDef> text;
    Rect bounds;
};

struct EditTextCharacter : Character {
    EditTextCharacter(uint16_t id, std::shared_ptr<const EditTextDef> e)
        : Character(CharacterKind::EditText, id), editText(std::move(e)) {}
    std::shared_ptr<const EditTextDef> editText;
};

struct ButtonRecord {
    enum State : uint8_t { Up = 1, Over = 2, Down = 4, HitTest = 8 };
    uint8_t states = 0;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

struct ButtonDef : Character {
    explicit ButtonDef(uint16_t id) : Character(CharacterKind::Button, id) {}
    std::vector<ButtonRecord> records;
    bool trackAsMenu = false;
};

struct VideoDef : Character {
    explicit VideoDef(uint16_t id) : Character(CharacterKind::Video, id) {}
    uint16_t frameCount = 0;
    uint16_t width = 0, height = 0;
    uint8_t deblocking = 0;
    bool smoothing = false;
    uint8_t codecId = 0;
};

// tagCode: 7 or 34.
Result<std::shared_ptr<ButtonDef>> parseButton(uint16_t tagCode, std::span<const uint8_t> body);
// DefineButtonCxform: applies one colour transform to every record of the button.
void applyButtonCxform(ButtonDef& button, std::span<const uint8_t> body);
Result<std::shared_ptr<VideoDef>> parseVideoStream(std::span<const uint8_t> body);

}  // namespace kelmora::player
