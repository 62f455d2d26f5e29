#pragma once
// Binary digit strings: "0"/"1" characters, most significant digit first. The header reader cuts
// bit fields out of them and the container writer builds its frame rectangle with them.
#include <cstdint>
#include <string>
#include <string_view>

namespace kelmora::swf {

// Digits of a 16-bit value, filled on the left with "0" to at least 8 digits: 5 -> "00000101",
// 300 -> "100101100". Digits stop at the highest power of two not above the value, so a negative
// value gives only its lowest bit (two's complement), padded to 8.
std::string toBinaryString(int16_t value);

// Every "1" adds 2 to the power of its distance from the right end; other characters add
// nothing; "" gives 0. Digits 64 or more places from the right would overflow and add nothing
// (no field of a SWF header is that wide).
uint64_t fromBinaryString(std::string_view digits);

}  // namespace kelmora::swf
