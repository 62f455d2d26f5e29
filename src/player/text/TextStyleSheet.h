#pragma once
// Styles that a text field's style sheet (TextField.StyleSheet) gives its HTML text: by tag name
// ("p", "li", "a") and by class (".name" for class="name").
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "player/text/TextFormat.h"

namespace kelmora::player {

enum class TextDisplay : uint8_t { Inline, Block, None };

struct TextStyle {
    // Which fields of `format` the style sets.
    enum Field : uint32_t {
        Font = 1u << 0, Size = 1u << 1, Color = 1u << 2, Bold = 1u << 3, Italic = 1u << 4, Underline = 1u << 5,
        Align = 1u << 6, LeftMargin = 1u << 7, RightMargin = 1u << 8, Indent = 1u << 9, BlockIndent = 1u << 10,
        Leading = 1u << 11, LetterSpacing = 1u << 12, Kerning = 1u << 13, Url = 1u << 14, Target = 1u << 15,
        Bullet = 1u << 16, TabStops = 1u << 17,
    };
    TextFormat format;
    uint32_t fields = 0;
    bool hasDisplay = false;
    TextDisplay display = TextDisplay::Inline;

    void applyTo(TextFormat& f) const;
};

class TextStyleSheet {
public:
    static constexpr size_t kMaxStyles = 4096;  // what one sheet may hold for a field

    // Selectors match without regard to case; a later style of the same name replaces one before.
    void add(std::string_view selector, const TextStyle& style);
    const TextStyle* find(std::string_view selector) const;
    bool empty() const { return styles_.empty(); }

private:
    std::map<std::string, TextStyle, std::less<>> styles_;  // lower-case selectors
};

}  // namespace kelmora::player
