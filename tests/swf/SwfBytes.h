#pragma once
// Builders of small SWF files for the swf tests.
#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelmora::swf::test {

using Bytes = std::vector<uint8_t>;

// Frame rectangle: Nbits, then Xmin, Xmax, Ymin, Ymax as Nbits-bit fields, padded to a byte.
inline Bytes rectangle(unsigned nbits, uint32_t xmin, uint32_t xmax, uint32_t ymin, uint32_t ymax) {
    std::vector<bool> bits;
    auto put = [&](uint32_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;) bits.push_back((v >> i) & 1);
    };
    put(nbits, 5);
    for (uint32_t v : {xmin, xmax, ymin, ymax}) put(v, nbits);
    while (bits.size() % 8) bits.push_back(false);
    Bytes out;
    for (size_t i = 0; i < bits.size(); i += 8) {
        uint8_t b = 0;
        for (size_t j = 0; j < 8; ++j) b = static_cast<uint8_t>(b << 1 | bits[i + j]);
        out.push_back(b);
    }
    return out;
}

struct MovieFields {
    uint8_t version = 10;
    unsigned nbits = 15;
    uint32_t xmaxTwips = 11000, ymaxTwips = 8000;
    uint8_t rateFraction = 0, rate = 24;
    uint16_t frames = 100;
    Bytes tags = {0x43, 0x02, 0x11, 0x22, 0x33, 0x40, 0x00, 0x00, 0x00};  // SetBackgroundColor, ShowFrame, End
};

inline Bytes plainSwf(const MovieFields& m) {
    Bytes out = {'F', 'W', 'S', m.version, 0, 0, 0, 0};
    Bytes rect = rectangle(m.nbits, 0, m.xmaxTwips, 0, m.ymaxTwips);
    out.insert(out.end(), rect.begin(), rect.end());
    out.insert(out.end(), {m.rateFraction, m.rate, uint8_t(m.frames & 0xFF), uint8_t(m.frames >> 8)});
    out.insert(out.end(), m.tags.begin(), m.tags.end());
    uint32_t len = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(len >> (8 * i));
    return out;
}

// The same movie compressed: "CWS" (zlib body).
inline Bytes zlibMovie(const Bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size() - 8));
    Bytes out(plain.begin(), plain.begin() + 8);
    out[0] = 'C';
    out.resize(8 + size);
    EXPECT_EQ(compress2(out.data() + 8, &size, plain.data() + 8, static_cast<uLong>(plain.size() - 8), 9), Z_OK);
    out.resize(8 + size);
    return out;
}

// ZWS: header, compressed length, 5 properties bytes, raw LZMA1 data (with an end marker when
// the encoder writes one; the decoder must not depend on it).
inline Bytes lzmaMovie(const Bytes& plain) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    opt.dict_size = 1u << 16;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes raw(plain.size() + plain.size() / 2 + 1024);
    size_t rawSize = 0;
    EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, plain.data() + 8, plain.size() - 8, raw.data(), &rawSize, raw.size()),
              LZMA_OK);
    raw.resize(rawSize);
    uint8_t props[5];
    uint32_t propsSize = 0;
    EXPECT_EQ(lzma_properties_size(&propsSize, &filters[0]), LZMA_OK);
    EXPECT_EQ(propsSize, 5u);
    EXPECT_EQ(lzma_properties_encode(&filters[0], props), LZMA_OK);
    Bytes out(plain.begin(), plain.begin() + 8);
    out[0] = 'Z';
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(rawSize >> (8 * i)));
    out.insert(out.end(), props, props + 5);
    out.insert(out.end(), raw.begin(), raw.end());
    return out;
}

}  // namespace kelmora::swf::test
