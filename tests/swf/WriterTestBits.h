#pragma once
// Expected encodings written as bit strings ("0101 1100 ..."), padded with zero bits to a byte.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelmora::swf::writertest {

inline std::vector<std::uint8_t> fromBits(std::string_view bits) {
    std::vector<std::uint8_t> out;
    int used = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (used == 0) out.push_back(0);
        if (c == '1') out.back() |= static_cast<std::uint8_t>(0x80 >> used);
        used = (used + 1) % 8;
    }
    return out;
}

inline std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace kelmora::swf::writertest
