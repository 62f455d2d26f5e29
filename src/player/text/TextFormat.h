#pragma once
// Character and paragraph formats of a text field, and its text with a format per character.
#include <cstdint>
#include <string>
#include <vector>

#include "player/Geometry.h"
#include "player/text/EditTextDef.h"

namespace kelmora::player {

struct TextFormat {
    std::string font;      // font name ("_sans", "Arial", an embedded font's name)
    double size = 240;     // twips
    Rgba color{0, 0, 0, 255};
    bool bold = false, italic = false, underline = false;
    std::string url, target;
    // Paragraph format: the paragraph's first character decides.
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, blockIndent = 0, leading = 0;  // twips
    bool bullet = false, kerning = false;
    double letterSpacing = 0;  // pixels
    std::vector<double> tabStops;  // twips
    bool operator==(const TextFormat&) const = default;
};

// Characters with a format each; '\r' ends a paragraph (Flash's own separator).
struct StyledText {
    std::u32string chars;
    std::vector<uint16_t> formatOf;  // index into formats, one per character
    std::vector<TextFormat> formats;

    void append(std::u32string_view text, const TextFormat& format) {
        if (text.empty()) return;
        uint16_t index = formatIndex(format);
        chars.append(text);
        formatOf.insert(formatOf.end(), text.size(), index);
    }
    uint16_t formatIndex(const TextFormat& format) {
        for (size_t i = 0; i < formats.size(); ++i)
            if (formats[i] == format) return uint16_t(i);
        if (formats.size() >= 0xFFFF) return uint16_t(formats.size() - 1);  // absurd input: reuse the last
        formats.push_back(format);
        return uint16_t(formats.size() - 1);
    }
    const TextFormat& formatAt(size_t i) const { return formats[formatOf[i]]; }
};

}  // namespace kelmora::player
