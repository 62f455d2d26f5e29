#pragma once
// Tests leave a few valid inputs for the fuzz targets when KELMORA_SEED_DIR is set.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

namespace kelmora::test {

inline void writeSeed(const std::string& target, const std::string& name, std::span<const uint8_t> bytes) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir || !*dir) return;
    std::filesystem::path folder = std::filesystem::path(dir) / target;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeSeed(const std::string& target, const std::string& name, const std::string& text) {
    writeSeed(target, name, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace kelmora::test
