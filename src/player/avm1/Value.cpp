#include "player/avm1/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kelmora::player::avm1 {

const std::string& Value::emptyString() {
    static const std::string empty;
    return empty;
}

std::string numberToString(double n) {
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0) return "0";
    // Round to 15 significant digits first; the exponent is the one of the rounded value.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", n);
    std::string s(buf);
    size_t e = s.find('e');
    int exp = std::atoi(s.c_str() + e + 1);
    std::string digits;
    bool negative = false;
    for (size_t i = 0; i < e; ++i) {
        if (s[i] == '-') negative = true;
        else if (s[i] >= '0' && s[i] <= '9') digits.push_back(s[i]);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exp >= 15 || exp < -5) {
        out += digits[0];
        if (digits.size() > 1) { out += '.'; out += digits.substr(1); }
        out += 'e';
        out += exp >= 0 ? '+' : '-';
        out += std::to_string(std::abs(exp));
    } else if (exp < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exp - 1), '0');
        out += digits;
    } else {
        size_t intDigits = static_cast<size_t>(exp) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits);
            out += '.';
            out += digits.substr(intDigits);
        }
    }
    return out;
}

std::string numberToString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) return numberToString(n);
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    int32_t v = toInt32(n);
    bool negative = v < 0;
    uint32_t u = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    std::string out;
    do {
        uint32_t d = u % static_cast<uint32_t>(radix);
        out.insert(out.begin(), static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10));
        u /= static_cast<uint32_t>(radix);
    } while (u);
    if (negative) out.insert(out.begin(), '-');
    return out;
}

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

double stringToNumber(std::string_view s, int swfVersion) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    const bool blanks = i > 0;
    s.remove_prefix(i);
    if (swfVersion < 5) {
        // SWF 4 reads the leading number and ignores the rest; no number at all is 0.
        std::string text(s);
        char* endp = nullptr;
        double v = std::strtod(text.c_str(), &endp);
        if (endp == text.c_str() || !std::isfinite(v)) return 0.0;
        // strtod also reads hex and "inf"; SWF 4 knows only decimals.
        for (const char* p = text.c_str(); p < endp; ++p)
            if (*p == 'x' || *p == 'X' || *p == 'i' || *p == 'I' || *p == 'n' || *p == 'N') return 0.0;
        return v;
    }
    if (s.empty()) return nan;
    bool negative = false;
    std::string_view body = s;
    const bool signed_ = body[0] == '-' || body[0] == '+';
    if (signed_) { negative = body[0] == '-'; body.remove_prefix(1); }
    if (swfVersion >= 6 && body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        // "-0x10" is no number: a hex number takes its sign after the prefix.
        if (signed_) return nan;
        body.remove_prefix(2);
        // The player also takes a sign after the prefix ("0x-10" is -16).
        if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
            if (body[0] == '-') negative = !negative;
            body.remove_prefix(1);
        }
        if (body.empty()) return nan;
        double v = 0;
        for (char c : body) {
            int d = hexDigit(c);
            if (d < 0) return nan;
            v = v * 16 + d;
        }
        // Hex text is read as a 32-bit signed integer.
        v = static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(std::fmod(v, 4294967296.0))));
        return negative ? -v : v;
    }
    if (swfVersion >= 6 && !blanks && body.size() >= 2 && body[0] == '0') {
        // A leading zero followed only by octal digits is an octal number (not after blanks).
        bool octal = true;
        double v = 0;
        for (char c : body.substr(1)) {
            if (c < '0' || c > '7') { octal = false; break; }
            v = v * 8 + (c - '0');
        }
        if (octal) return negative ? -v : v;
    }
    // Decimal: digits, one point, an optional exponent; nothing may follow.
    size_t j = 0, digits = 0;
    while (j < body.size() && body[j] >= '0' && body[j] <= '9') { ++j; ++digits; }
    if (j < body.size() && body[j] == '.') {
        ++j;
        while (j < body.size() && body[j] >= '0' && body[j] <= '9') { ++j; ++digits; }
    }
    if (digits == 0) return nan;
    if (j < body.size() && (body[j] == 'e' || body[j] == 'E')) {
        size_t k = j + 1;
        if (k < body.size() && (body[k] == '+' || body[k] == '-')) ++k;
        size_t expDigits = 0;
        while (k < body.size() && body[k] >= '0' && body[k] <= '9') { ++k; ++expDigits; }
        if (expDigits == 0) return nan;
        j = k;
    }
    if (j != body.size()) return nan;
    std::string text(body);
    double v = std::strtod(text.c_str(), nullptr);
    return negative ? -v : v;
}

int32_t toInt32(double n) {
    if (!std::isfinite(n)) return 0;
    double t = std::trunc(n);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(m));
}

uint32_t toUint32(double n) { return static_cast<uint32_t>(toInt32(n)); }

const char* typeName(ValueType t) {
    switch (t) {
    case ValueType::Undefined: return "undefined";
    case ValueType::Null: return "null";
    case ValueType::Boolean: return "boolean";
    case ValueType::Number: return "number";
    case ValueType::String: return "string";
    case ValueType::Object: return "object";
    }
    return "undefined";
}

}  // namespace kelmora::player::avm1
