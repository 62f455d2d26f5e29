#pragma once
// Writes SWF primitive fields: bit fields most significant bit first, byte-aligned little-endian numbers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kelmora::swf {

using Bytes = std::vector<std::uint8_t>;

class BitWriter {
public:
    // Bits needed for a value in an unsigned (UB) or signed (SB) field; 0 needs no bits.
    static int unsignedBits(std::uint32_t value);
    static int signedBits(std::int32_t value);
    // Raw 16.16 value of a double, rounded to the nearest step.
    static std::int32_t toFixed16(double value);
    static std::int16_t toFixed8(double value);

    // Bit fields. A value that does not fit its width throws std::out_of_range: a wrong width is
    // always a writer bug, and a silently cut field would make a broken test movie.
    BitWriter& ub(std::uint32_t value, int bits);
    BitWriter& sb(std::int32_t value, int bits);
    BitWriter& fb(std::int32_t fixed16, int bits) { return sb(fixed16, bits); }
    BitWriter& flag(bool value) { return ub(value ? 1 : 0, 1); }
    // Pads the current byte with zero bits.
    BitWriter& align();

    // Byte-aligned fields (each aligns first).
    BitWriter& u8(std::uint32_t value);
    BitWriter& u16(std::uint32_t value);
    BitWriter& u32(std::uint32_t value);
    BitWriter& s16(std::int32_t value);
    BitWriter& s32(std::int32_t value);
    BitWriter& fixed8(double value);   // FIXED8: signed 8.8
    BitWriter& fixed(double value);    // FIXED: signed 16.16
    BitWriter& float32(float value);
    BitWriter& double64(double value);  // plain little-endian IEEE double
    BitWriter& encodedU32(std::uint32_t value);
    BitWriter& string(std::string_view text);  // the text and a terminating NUL
    BitWriter& bytes(std::span<const std::uint8_t> data);
    BitWriter& bytes(std::string_view data);

    // Position in whole bytes (after aligning); patching writes little-endian into earlier bytes.
    std::size_t size() const { return data_.size(); }
    void patchU16(std::size_t offset, std::uint32_t value);
    void patchU32(std::size_t offset, std::uint32_t value);

    const Bytes& data() const { return data_; }
    Bytes take();

private:
    Bytes data_;
    int bitPos_ = 0;  // bits used in the last byte; 0 means aligned
};

}  // namespace kelmora::swf
