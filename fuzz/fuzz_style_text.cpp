// Feeds arbitrary text to the CSS reader of style sheets and to the HTML text reader with the
// styles it made, then writes the text back as HTML. The first byte picks the reading options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "player/text/CssText.h"
#include "player/text/HtmlText.h"
#include "player/text/TextStyleSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelmora::player;
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    TextStyleSheet sheet;
    if (auto rules = parseCssText(text)) {
        for (const CssRule& rule : *rules) {
            TextStyle style;
            style.fields = static_cast<uint32_t>(rule.properties.size()) & 0x3FFFF;
            style.hasDisplay = !rule.properties.empty();
            style.display = static_cast<TextDisplay>(rule.properties.size() % 3);
            for (const std::string& selector : rule.selectors) sheet.add(selector, style);
        }
    }
    HtmlReading how;
    how.markupBreaks = flags & 1;
    how.condenseWhite = flags & 2;
    how.condenseBySegment = flags & 4;
    how.styles = (flags & 8) ? &sheet : nullptr;
    const StyledText styled = parseHtmlText(text, TextFormat{}, how);
    (void)toHtmlText(styled);
    return 0;
}
