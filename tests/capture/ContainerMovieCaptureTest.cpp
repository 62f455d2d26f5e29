// What container movies are for: a movie whose animation runs in a movie clip, with one frame in
// its main timeline, converted through its container gives one picture per second of the clip's
// animation. The real container writer, capture loop and player; only the clock is ours.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "capture/CaptureFakes.h"
#include "capture/CaptureLoop.h"
#include "player/Player.h"
#include "swf/ContainerMovie.h"
#include "swf/SwfHeader.h"
#include "swf/writer/SwfWriter.h"

namespace fs = std::filesystem;
using namespace kelmora;
using namespace kelmora::capture;
using namespace kelmora::capture::testing;

namespace {

// The player control over the engine, playing at the movie's rate on the test's clock.
class EnginePlayer : public PlayerControl {
public:
    bool present() const override { return true; }
    Status setMovie(const std::string& path) override {
        path_ = path;
        playing_ = false;
        return engine_.setMovie(path);
    }
    const std::string& movie() const override { return path_; }
    void play() override {
        engine_.play();
        playing_ = engine_.loaded();
        dueIn_ = 1.0 / engine_.frameRate();
    }
    void rewind() override {
        if (engine_.loaded()) engine_.rewind();
    }
    int currentFrame() const override { return engine_.loaded() ? engine_.currentFrame() : 0; }
    int frameNum() const override { return currentFrame(); }
    int totalFrames() const override { return engine_.loaded() ? engine_.totalFrames() : 0; }
    void setMenu(bool) override {}
    void setBGColor(const std::string& text) override { engine_.setBGColor(text); }
    void setVisible(bool) override {}
    void grabFrame(cDIBSection& picture) override {
        frame_.resize(engine_.stageWidth(), engine_.stageHeight());
        engine_.render(frame_);
        picture.CreateFromArgb32(frame_.data(), frame_.width(), frame_.height(), frame_.stride());
    }
    // Lets `seconds` pass: one frame of every timeline per frame period, never skipping.
    void elapse(double seconds) {
        if (!playing_) return;
        dueIn_ -= seconds;
        while (dueIn_ <= 1e-9) {
            engine_.advance();
            dueIn_ += 1.0 / engine_.frameRate();
        }
    }

private:
    player::Player engine_;
    player::PixelBuffer frame_;
    std::string path_;
    bool playing_ = false;
    double dueIn_ = 0;
};

// Centre pixel (0xRRGGBB) of a 24-bit bottom-up BMP, or ~0u.
uint32_t centrePixel(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24) return ~0u;
    auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    const size_t width = u32(18), height = u32(22), stride = (width * 3 + 3) & ~size_t(3);
    const size_t at = u32(10) + (height / 2) * stride + (width / 2) * 3;
    if (at + 3 > b.size()) return ~0u;
    return uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 1]) << 8 | b[at];
}

const uint32_t kClipColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF};
constexpr int kClipFrames = 5;
constexpr uint32_t kContainerColour = 0x000000;

// A 100 x 100 movie at 12 frames per second with one main frame; a clip in it shows one colour
// per frame.
void writeClipMovie(const std::string& path) {
    swf::SwfWriter movie(6);
    movie.frameSizePixels(100, 100).frameRate(12);
    movie.setBackgroundColor(swf::Rgba::fromRgb(0xFFFFFF));
    for (int k = 0; k < kClipFrames; ++k)
        movie.defineShape(uint16_t(10 + k), swf::ShapeBuilder::filledRectPx(0, 0, 100, 100, swf::Rgba::fromRgb(kClipColours[k])));
    movie.defineSprite(2, [](swf::Timeline& clip) {
        for (int k = 0; k < kClipFrames; ++k) {
            if (k == 0)
                clip.place(swf::Place::add(10, 1));
            else
                clip.place(swf::Place::replace(uint16_t(10 + k), 1));
            clip.showFrame();
        }
    });
    movie.place(swf::Place::add(2, 1)).showFrame();
    ASSERT_TRUE(movie.writeFile(path).ok());
}

struct NoClipboard : swf::Clipboard {
    void setText(const std::string&) override {}
};

}  // namespace

TEST(ContainerMovieCapture, OnePicturePerSecondOfTheClip) {
    const fs::path dir = fs::temp_directory_path() / ("kelmora-container-capture-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    writeClipMovie((dir / "movie.swf").string());
    {
        swf::SwfWriter blank(6);
        blank.showFrame();
        ASSERT_TRUE(blank.writeFile((dir / "blank.swf").string()).ok());
    }

    // The container as the container command writes it: the movie's size, 1 frame per second.
    const int frames = 2 * kClipFrames + 2;
    swf::ContainerMovieArgs args;
    args.widthPx = 100;
    args.heightPx = 100;
    args.frameRate = 1;
    args.frameCount = frames;
    args.movieFileName = "movie.swf";
    const std::string container = (dir / "kelmora-container.swf").string();
    RecordingSink writerMessages;
    NoClipboard clipboard;
    const Result<bool> written = swf::writeContainerSwf(container, args, true, writerMessages, clipboard);
    ASSERT_TRUE(written.ok() && *written);
    {
        std::ifstream in(container, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        const swf::HeaderDecode header = swf::decodeSwfHeader(bytes);
        ASSERT_EQ(header.path, swf::HeaderPath::Read);
        ASSERT_EQ(header.info.movieFrameRate, 1);
        ASSERT_EQ(header.info.frameCount, frames);
    }

    Settings settings(dir.string());
    settings.setFormat(PictureFormat::Bmp);
    RunKind run;
    EnginePlayer player;
    FakeHost host;
    FakeClock clock;
    RecordingSink messages;
    CaptureLoop loop(settings, run, player, host, clock, messages, (dir / "blank.swf").string());
    loop.setChosenFile(container);
    loop.startProcess();
    int ticks = 0;
    while (loop.converting() && ticks < 20 * frames) {
        clock.now += kSnapIntervalMs / 1000.0;
        player.elapse(kSnapIntervalMs / 1000.0);
        loop.tick();
        ++ticks;
    }
    EXPECT_FALSE(loop.converting());
    EXPECT_EQ(loop.lostFrameCount(), 0);
    // One picture per container frame, one container frame per second.
    EXPECT_NEAR(ticks, (frames - 1) * 10 + 1, 2);

    std::vector<uint32_t> colours;
    for (int k = 1; k <= frames; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "kelmora-container.swf_%04d.bmp", k);
        ASSERT_TRUE(fs::exists(dir / name)) << name;
        colours.push_back(centrePixel(dir / name));
    }
    EXPECT_FALSE(fs::exists(dir / "kelmora-container.swf_0000.bmp"));

    // The loaded movie may show up one frame after the one that asks for it; from its first
    // picture on, every picture is the clip's next frame, round and round.
    size_t first = 0;
    while (first < colours.size() && colours[first] == kContainerColour) ++first;
    EXPECT_LE(first, 1u);
    ASSERT_LT(first, colours.size());
    for (size_t i = first; i < colours.size(); ++i)
        EXPECT_EQ(colours[i], kClipColours[(i - first) % kClipFrames]) << "picture " << i + 1;
    fs::remove_all(dir);
}
