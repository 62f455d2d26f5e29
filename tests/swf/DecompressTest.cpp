#include "swf/Decompress.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

using namespace kelmora::swf;
using Bytes = std::vector<uint8_t>;

namespace {

// A plain movie of `bodySize` body bytes with a recognisable pattern.
Bytes plainMovie(size_t bodySize) {
    Bytes m = {'F', 'W', 'S', 10, 0, 0, 0, 0};
    uint32_t len = static_cast<uint32_t>(8 + bodySize);
    for (int i = 0; i < 4; ++i) m[4 + i] = static_cast<uint8_t>(len >> (8 * i));
    for (size_t i = 0; i < bodySize; ++i) m.push_back(static_cast<uint8_t>((i * 7) ^ (i >> 5)));
    return m;
}

Bytes zlibMovie(const Bytes& plain) {
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
Bytes lzmaMovie(const Bytes& plain) {
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

}  // namespace

TEST(Decompress, RoundTripsEveryKindOfMovie) {
    for (size_t body : {size_t{1}, size_t{30}, size_t{5000}, size_t{300000}}) {
        Bytes plain = plainMovie(body);
        for (const Bytes& file : {plain, zlibMovie(plain), lzmaMovie(plain)}) {
            auto movie = decompressMovie(file);
            ASSERT_TRUE(movie.ok()) << char(file[0]) << " " << body << ": " << movie.error().message;
            EXPECT_EQ(*movie, plain) << char(file[0]) << " " << body;
            auto prefix = decompressMoviePrefix(file, 20);
            ASSERT_TRUE(prefix.ok());
            EXPECT_EQ(*prefix, Bytes(plain.begin(), plain.begin() + std::min<size_t>(20, plain.size())));
        }
    }
}

TEST(Decompress, KeepsTheStoredLengthAndRewritesTheSignature) {
    Bytes plain = plainMovie(100);
    Bytes file = zlibMovie(plain);
    file[4] = 0xEE;  // a wrong declared length is kept as stored and changes nothing else
    auto movie = decompressMovie(file);
    ASSERT_TRUE(movie.ok());
    EXPECT_EQ(movie->size(), plain.size());
    EXPECT_EQ((*movie)[0], 'F');
    EXPECT_EQ((*movie)[4], 0xEE);
}

TEST(Decompress, TruncatedStreamsGiveWhatArrived) {
    Bytes plain = plainMovie(200000);
    for (const Bytes& file : {zlibMovie(plain), lzmaMovie(plain)}) {
        Bytes cut(file.begin(), file.begin() + file.size() / 2);
        auto movie = decompressMovie(cut);
        ASSERT_TRUE(movie.ok()) << char(file[0]);
        EXPECT_GT(movie->size(), 8u);
        EXPECT_LT(movie->size(), plain.size());
        EXPECT_TRUE(std::equal(movie->begin() + 8, movie->end(), plain.begin() + 8)) << char(file[0]);

        // Nothing but the header: nothing could be decompressed.
        Bytes headerOnly(file.begin(), file.begin() + (file[0] == 'C' ? 8 : 17));
        EXPECT_FALSE(decompressMovie(headerOnly).ok()) << char(file[0]);
    }
}

TEST(Decompress, RefusesGarbageAndShortFiles) {
    const std::vector<Bytes> bad = {
        {},
        {'F', 'W'},
        {'F', 'W', 'S', 1},                                      // shorter than the header
        {'X', 'W', 'S', 1, 0, 0, 0, 0, 0},                       // no signature
        {'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7},    // not zlib data
        {'Z', 'W', 'S', 13, 100, 0, 0, 0, 5, 0, 0, 0, 0xFF},      // shorter than the LZMA header
        {'Z', 'W', 'S', 13, 100, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0, 0, 1, 0, 1, 2, 3, 4},  // bad properties
    };
    for (const Bytes& file : bad) EXPECT_FALSE(decompressMovie(file).ok()) << file.size();
}

TEST(Decompress, StopsAtTheLimit) {
    // A zip bomb: 4 MiB of zeros squeezed into a few kilobytes, against a 1 MiB limit.
    Bytes bomb = plainMovie(0);
    bomb.resize(8 + (4u << 20), 0);
    bomb[6] = 0x40;  // declared length 4 MiB + 8
    for (const Bytes& file : {zlibMovie(bomb), lzmaMovie(bomb)}) {
        auto movie = decompressMovie(file, 1u << 20);
        ASSERT_FALSE(movie.ok()) << char(file[0]);
        EXPECT_EQ(movie.error().message, "movie is larger than 1 MiB when decompressed");
    }
    // Exactly at the limit is allowed; the prefix reader never fails for size.
    Bytes plain = plainMovie(1000);
    EXPECT_TRUE(decompressMovie(zlibMovie(plain), plain.size()).ok());
    EXPECT_FALSE(decompressMovie(zlibMovie(plain), plain.size() - 1).ok());
    EXPECT_FALSE(decompressMovie(plain, plain.size() - 1).ok());
    EXPECT_EQ(decompressMoviePrefix(zlibMovie(bomb), 100)->size(), 100u);
}

TEST(Decompress, LzmaIgnoresAHugeDeclaredDictionary) {
    // The properties claim a 4 GiB dictionary; decoding must neither allocate it nor fail.
    Bytes plain = plainMovie(5000);
    Bytes file = lzmaMovie(plain);
    file[13] = file[14] = file[15] = file[16] = 0xFF;
    auto movie = decompressMovie(file);
    ASSERT_TRUE(movie.ok());
    EXPECT_EQ(*movie, plain);
}
