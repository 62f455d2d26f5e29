#pragma once
// Rules for numbers held as text: settings, dialog boxes and the command line keep numbers as
// typed and each reader converts them when used.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// The leading numeric part of a text (blanks before it are skipped): "12abc" -> 12, "7.9" -> 7.9,
// " -3" -> -3, "abc" or "" -> 0.
double leadingNumber(std::string_view text);

// The whole text as a number (surrounding blanks allowed), or nothing when it is not one:
// "80" -> 80, " 1.5 " -> 1.5, "abc", "" and "12abc" -> nothing.
std::optional<double> parseNumber(std::string_view text);

// Round to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
// Round to the given number of decimals, halves to even (as far as binary fractions allow).
double roundHalfEven(double value, int decimals);

// Clamp into the 16-bit signed range that the program's integers have.
int16_t toInt16Saturated(double value);

std::string toLower(std::string_view text);
std::string trim(std::string_view text);

}  // namespace kelmora
