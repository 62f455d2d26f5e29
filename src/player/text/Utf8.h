#pragma once
// Text of SWF 6+ movies is UTF-8; bytes that are not valid UTF-8 are read as Latin-1, as older
// movies store them.
#include <string>
#include <string_view>

namespace kelmora::player {

std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);

}  // namespace kelmora::player
