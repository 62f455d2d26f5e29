#pragma once
// The HTML subset of Flash text fields: <p align>, <br>, <font face size color>, <b>, <i>, <u>,
// <a href target>, <li>, <textformat>, and the entities &lt; &gt; &amp; &quot; &apos; &nbsp; &#N;.
#include <string>
#include <string_view>

#include "player/text/TextFormat.h"
#include "player/text/TextStyleSheet.h"

namespace kelmora::player {

// Unknown tags are ignored, their text kept; unclosed tags end with the text. Without
// markupBreaks (a single-line field) only line breaks written in the text itself break lines.
// With a style sheet, tags and classes take its styles, and unknown tags may be styled too.
StyledText parseHtmlText(std::string_view html, const TextFormat& base, bool markupBreaks = true,
                         const TextStyleSheet* styles = nullptr);
struct HtmlReading {
    bool markupBreaks = true;
    bool condenseWhite = false;  // TextField.condenseWhite
    bool condenseBySegment = false;  // how movies before SWF 8 condense: each text between tags alone
    const TextStyleSheet* styles = nullptr;
};
StyledText parseHtmlText(std::string_view html, const TextFormat& base, const HtmlReading& how);
// Flash's form: one <P ALIGN=..><FONT FACE=.. SIZE=.. COLOR=..>..</FONT></P> per paragraph.
std::string toHtmlText(const StyledText& text);

}  // namespace kelmora::player
