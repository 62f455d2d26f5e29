#pragma once
// A character is an immutable definition from the movie's dictionary (shape, bitmap, sprite...).
// Display objects are instances of characters placed on a timeline.
#include <cstdint>

namespace kelmora::player {

enum class CharacterKind { Shape, MorphShape, Bitmap, Font, Text, EditText, Sprite, Button, Video, Sound, BinaryData };

struct Character {
    explicit Character(CharacterKind k, uint16_t characterId = 0) : kind(k), id(characterId) {}
    virtual ~Character() = default;
    CharacterKind kind;
    uint16_t id;
};

}  // namespace kelmora::player
