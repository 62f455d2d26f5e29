#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The colours the generator gives frames 1, 2, ... (0xRRGGBB).
const uint32_t kFrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x808080, 0xFFFFFF};

// Colour of pixel (x, y) of a 24-bit bottom-up BMP, or ~0u.
uint32_t bmpPixel(const fs::path& file, int x, int y, int& width, int& height) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24) return ~0u;
    auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    width = int(u32(18));
    height = int(u32(22));
    size_t offset = u32(10), stride = (size_t(width) * 3 + 3) & ~size_t(3);
    size_t at = offset + size_t(height - 1 - y) * stride + size_t(x) * 3;
    if (at + 3 > b.size()) return ~0u;
    return uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 1]) << 8 | b[at];
}

}  // namespace

TEST(BatchRun, ConvertsEveryFrameOfAMovie) {
    fs::path dir = fs::temp_directory_path() / ("kelmora-batch-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "config");
    const int frames = 8;
    std::string movie = (dir / "colours.swf").string();
    std::string make = std::string(KELMORA_TOOLS_DIR) + "/kelmora-sample-movies --colours '" + movie + "' 8 4 64 48";
    ASSERT_EQ(std::system(make.c_str()), 0);

    // Settings go to a folder of the test's own; no display is needed.
    std::string run = "cd '" + dir.string() + "' && XDG_CONFIG_HOME='" + (dir / "config").string() +
                      "' XDG_RUNTIME_DIR='" + dir.string() + "' QT_QPA_PLATFORM=offscreen timeout 60 '" +
                      KELMORA_BIN_DIR + "/kelmora' /bmp /s '" + movie + "' 2>/dev/null";
    ASSERT_EQ(std::system(run.c_str()), 0);

    for (int k = 1; k <= frames; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "colours.swf_%04d.bmp", k);
        int width = 0, height = 0;
        ASSERT_TRUE(fs::exists(dir / name)) << name;
        EXPECT_EQ(bmpPixel(dir / name, 0, 0, width, height), kFrameColours[k - 1]) << name;
        EXPECT_EQ(bmpPixel(dir / name, 63, 47, width, height), kFrameColours[k - 1]) << name;
        EXPECT_EQ(width, 64);
        EXPECT_EQ(height, 48);
    }
    EXPECT_FALSE(fs::exists(dir / "colours.swf_0009.bmp"));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    fs::remove_all(dir);
}
