#include "util/TextNumber.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kelmora {

namespace {
// Length of the longest numeric prefix of s (sign, digits, one decimal point, exponent).
size_t numericPrefix(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) { ++j; ++expDigits; }
        if (expDigits > 0) i = j;
    }
    return i;
}

std::string_view skipBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}
}  // namespace

double leadingNumber(std::string_view text) {
    text = skipBlanks(text);
    size_t n = numericPrefix(text);
    if (n == 0) return 0.0;
    std::string part(text.substr(0, n));
    double v = std::strtod(part.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

std::optional<double> parseNumber(std::string_view text) {
    std::string t = trim(text);
    if (t.empty()) return std::nullopt;
    size_t n = numericPrefix(t);
    if (n == 0 || n != t.size()) return std::nullopt;
    double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    return std::nearbyint(value);  // default rounding mode is to-nearest-even
}

double roundHalfEven(double value, int decimals) {
    double scale = std::pow(10.0, decimals);
    double scaled = value * scale;
    // Snap values that are a hair off a half because of binary fractions (0.125 * 100 = 12.499999...).
    double snapped = std::round(scaled * 1e6) / 1e6;
    return roundHalfEven(snapped) / scale;
}

int16_t toInt16Saturated(double value) {
    if (std::isnan(value)) return 0;
    if (value <= std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    if (value >= std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(value);
}

std::string toLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    return std::string(text.substr(b, e - b));
}

}  // namespace kelmora
