#pragma once
// Script texts are kept as UTF-8; the String methods count and index them in UTF-16 units as
// the player does. A lone surrogate left by slicing a pair comes back as U+FFFD.
#include <cstddef>
#include <string>
#include <string_view>

namespace kelmora::player::avm1 {

std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view units);
size_t utf16Length(std::string_view utf8);
// Texts of SWF 5 and older movies are bytes of the Western Windows code page, not UTF-8.
std::string fromCodePage(std::string_view bytes);
// Simple case mappings of the scripts movies use (Latin, Greek, Cyrillic, Armenian, full width).
char16_t toLowerUnit(char16_t c);
char16_t toUpperUnit(char16_t c);

}  // namespace kelmora::player::avm1
