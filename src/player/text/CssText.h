#pragma once
// The CSS text of TextField.StyleSheet.parseCSS, read the way the player reads it: selector lists
// and blocks of "name: value" pairs. The player's reading is loose in places (a name runs to its
// colon, taking ';' and '}' along; a value keeps its trailing spaces; a block may stay open at the
// end) and strict in others (a selector or name with a space inside fails the whole text).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelmora::player {

struct CssRule {
    std::vector<std::string> selectors;
    // Names as scripts see them: "font-size" becomes "fontSize". Empty names are left out.
    std::vector<std::pair<std::string, std::string>> properties;
};

// The rules in text order, or nothing when the text is malformed (the sheet is then left as it
// was). Bounded: at most kMaxCssRules rules and kMaxCssProperties properties in all.
inline constexpr size_t kMaxCssRules = 4096;
inline constexpr size_t kMaxCssProperties = 65536;
std::optional<std::vector<CssRule>> parseCssText(std::string_view text);

// "font-size" -> "fontSize": a dash goes and the character after it is upper case.
std::string cssPropertyName(std::string_view name);

}  // namespace kelmora::player
