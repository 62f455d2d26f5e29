#include "swf/writer/BitWriter.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kelmora::swf {

int BitWriter::unsignedBits(std::uint32_t value) { return static_cast<int>(std::bit_width(value)); }

int BitWriter::signedBits(std::int32_t value) {
    if (value == 0) return 0;
    const auto magnitude = static_cast<std::uint32_t>(value < 0 ? ~value : value);
    return static_cast<int>(std::bit_width(magnitude)) + 1;
}

std::int32_t BitWriter::toFixed16(double value) {
    const double raw = std::round(value * 65536.0);
    if (!(raw >= -2147483648.0 && raw <= 2147483647.0))
        throw std::out_of_range("16.16 fixed value out of range: " + std::to_string(value));
    return static_cast<std::int32_t>(raw);
}

std::int16_t BitWriter::toFixed8(double value) {
    const double raw = std::round(value * 256.0);
    if (!(raw >= -32768.0 && raw <= 32767.0))
        throw std::out_of_range("8.8 fixed value out of range: " + std::to_string(value));
    return static_cast<std::int16_t>(raw);
}

BitWriter& BitWriter::ub(std::uint32_t value, int bits) {
    if (bits < 0 || bits > 32 || (bits < 32 && (static_cast<std::uint64_t>(value) >> bits) != 0))
        throw std::out_of_range("value " + std::to_string(value) + " does not fit UB[" + std::to_string(bits) + "]");
    for (int i = bits - 1; i >= 0; --i) {
        if (bitPos_ == 0) data_.push_back(0);
        if ((value >> i) & 1u) data_.back() |= static_cast<std::uint8_t>(0x80u >> bitPos_);
        bitPos_ = (bitPos_ + 1) & 7;
    }
    return *this;
}

BitWriter& BitWriter::sb(std::int32_t value, int bits) {
    if (bits < 0 || bits > 32 || signedBits(value) > bits)
        throw std::out_of_range("value " + std::to_string(value) + " does not fit SB[" + std::to_string(bits) + "]");
    const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    return ub(static_cast<std::uint32_t>(value) & mask, bits);
}

BitWriter& BitWriter::align() {
    bitPos_ = 0;
    return *this;
}

BitWriter& BitWriter::u8(std::uint32_t value) {
    align();
    if (value > 0xFF) throw std::out_of_range("U8 value out of range: " + std::to_string(value));
    data_.push_back(static_cast<std::uint8_t>(value));
    return *this;
}

BitWriter& BitWriter::u16(std::uint32_t value) {
    align();
    if (value > 0xFFFF) throw std::out_of_range("U16 value out of range: " + std::to_string(value));
    data_.push_back(static_cast<std::uint8_t>(value));
    data_.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
}

BitWriter& BitWriter::u32(std::uint32_t value) {
    align();
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

BitWriter& BitWriter::s16(std::int32_t value) {
    if (value < -32768 || value > 32767) throw std::out_of_range("S16 value out of range: " + std::to_string(value));
    return u16(static_cast<std::uint16_t>(value));
}

BitWriter& BitWriter::s32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }

BitWriter& BitWriter::fixed8(double value) { return s16(toFixed8(value)); }

BitWriter& BitWriter::fixed(double value) { return s32(toFixed16(value)); }

BitWriter& BitWriter::float32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }

BitWriter& BitWriter::double64(double value) {
    const auto raw = std::bit_cast<std::uint64_t>(value);
    u32(static_cast<std::uint32_t>(raw));
    return u32(static_cast<std::uint32_t>(raw >> 32));
}

BitWriter& BitWriter::encodedU32(std::uint32_t value) {
    align();
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value != 0) byte |= 0x80;
        data_.push_back(byte);
    } while (value != 0);
    return *this;
}

BitWriter& BitWriter::string(std::string_view text) {
    bytes(text);
    data_.push_back(0);
    return *this;
}

BitWriter& BitWriter::bytes(std::span<const std::uint8_t> data) {
    align();
    data_.insert(data_.end(), data.begin(), data.end());
    return *this;
}

BitWriter& BitWriter::bytes(std::string_view data) {
    align();
    data_.insert(data_.end(), data.begin(), data.end());
    return *this;
}

void BitWriter::patchU16(std::size_t offset, std::uint32_t value) {
    if (offset + 2 > data_.size() || value > 0xFFFF) throw std::out_of_range("bad U16 patch");
    data_[offset] = static_cast<std::uint8_t>(value);
    data_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void BitWriter::patchU32(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > data_.size()) throw std::out_of_range("bad U32 patch");
    for (int i = 0; i < 4; ++i) data_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes BitWriter::take() {
    bitPos_ = 0;
    return std::move(data_);
}

}  // namespace kelmora::swf
