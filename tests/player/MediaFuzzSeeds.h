#pragma once
// Tests write a few valid inputs for the media fuzz target when KELMORA_SEED_DIR is set.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>

namespace kelmora::player::testing {

// selector: the fuzz target's first byte (see fuzz/MediaFuzz.cpp).
inline void writeMediaSeed(const char* name, uint8_t selector, std::span<const uint8_t> body) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir || !*dir) return;
    std::filesystem::path folder = std::filesystem::path(dir) / "fuzz_media";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::ofstream out(folder / name, std::ios::binary);
    out.put(char(selector));
    out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
}

}  // namespace kelmora::player::testing
