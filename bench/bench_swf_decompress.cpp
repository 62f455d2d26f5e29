// Throughput of movie decompression (the player inflates every movie it loads) and of the
// header reader's prefix path.
#include <benchmark/benchmark.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "swf/Decompress.h"
#include "swf/SwfHeader.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 8 MiB of movie-like data: runs of repeated records mixed with noise, which compresses ~4:1.
Bytes plainMovie() {
    Bytes m = {'F', 'W', 'S', 10, 0, 0, 0x80, 0, 0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0, 24, 1, 0};
    std::mt19937 rng(7);
    while (m.size() < (8u << 20)) {
        if (rng() % 3 == 0) {
            for (int i = 0; i < 64; ++i) m.push_back(static_cast<uint8_t>(rng()));
        } else {
            for (int i = 0; i < 192; ++i) m.push_back(static_cast<uint8_t>(i * 3));
        }
    }
    m.resize(8u << 20);
    return m;
}

Bytes zlibMovie(const Bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size() - 8));
    Bytes out(plain.begin(), plain.begin() + 8);
    out[0] = 'C';
    out.resize(8 + size);
    compress2(out.data() + 8, &size, plain.data() + 8, static_cast<uLong>(plain.size() - 8), 6);
    out.resize(8 + size);
    return out;
}

Bytes lzmaMovie(const Bytes& plain) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes raw(plain.size() + plain.size() / 2);
    size_t rawSize = 0;
    lzma_raw_buffer_encode(filters, nullptr, plain.data() + 8, plain.size() - 8, raw.data(), &rawSize, raw.size());
    raw.resize(rawSize);
    uint8_t props[5];
    lzma_properties_encode(&filters[0], props);
    Bytes out(plain.begin(), plain.begin() + 8);
    out[0] = 'Z';
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(rawSize >> (8 * i)));
    out.insert(out.end(), props, props + 5);
    out.insert(out.end(), raw.begin(), raw.end());
    return out;
}

const Bytes& movie(int kind) {
    static const Bytes plain = plainMovie();
    static const Bytes cws = zlibMovie(plain);
    static const Bytes zws = lzmaMovie(plain);
    return kind == 0 ? plain : kind == 1 ? cws : zws;
}

void BM_DecompressMovie(benchmark::State& state) {
    const Bytes& file = movie(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto out = kelmora::swf::decompressMovie(file);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (8 << 20));
}
BENCHMARK(BM_DecompressMovie)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"FWS0_CWS1_ZWS2"})->Unit(benchmark::kMillisecond);

void BM_DecodeHeader(benchmark::State& state) {
    const Bytes& file = movie(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(kelmora::swf::decodeSwfHeader(file));
}
BENCHMARK(BM_DecodeHeader)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"FWS0_CWS1_ZWS2"})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
