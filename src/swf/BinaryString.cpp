#include "swf/BinaryString.h"

namespace kelmora::swf {

std::string toBinaryString(int16_t value) {
    std::string digits;
    const int32_t v = value;
    int bit = 0;
    do {
        digits.insert(digits.begin(), ((v >> bit) & 1) ? '1' : '0');
        ++bit;
    } while (bit < 16 && (int32_t{1} << bit) <= v);
    if (digits.size() < 8) digits.insert(0, 8 - digits.size(), '0');
    return digits;
}

uint64_t fromBinaryString(std::string_view digits) {
    uint64_t value = 0;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        size_t weight = n - 1 - i;
        if (digits[i] == '1' && weight < 64) value += uint64_t{1} << weight;
    }
    return value;
}

}  // namespace kelmora::swf
