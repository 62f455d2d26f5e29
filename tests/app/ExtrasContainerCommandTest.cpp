#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/extras/ContainerCommand.h"

using namespace kelmora;
using namespace kelmora::app;

namespace {

struct RecordingSink : MessageSink {
    std::vector<Message> shown;
    MessageAnswer yesNo = MessageAnswer::Yes;
    MessageAnswer show(const Message& m) override {
        shown.push_back(m);
        return m.buttons == MessageButtons::YesNo ? yesNo : MessageAnswer::Ok;
    }
};

struct Labels : MovieInfoLabels {
    std::map<InfoLabel, std::string> texts;
    std::string label(InfoLabel w) const override { return texts.count(w) ? texts.at(w) : ""; }
    void setLabel(InfoLabel w, const std::string& t) override { texts[w] = t; }
};

struct NoClipboard : swf::Clipboard {
    void setText(const std::string&) override {}
};

// The main window's side, with the real writer and header reader on a temporary folder.
struct Host : ContainerCommandHost {
    std::string moviePath;
    bool unreadable = false;
    std::optional<std::string> answer = "100";
    std::vector<int> adjustments;
    RecordingSink writerMessages;
    NoClipboard clipboard;
    std::string readFileInfoPassive() override { return moviePath; }
    bool movieUnreadable() const override { return unreadable; }
    std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                       const std::string& def) override {
        EXPECT_EQ(title, "Frame Count");
        EXPECT_EQ(prompt, frameCountPrompt());
        EXPECT_EQ(def, "100");
        return answer;
    }
    Result<bool> writeContainer(const std::string& path, const swf::ContainerMovieArgs& args, bool silently) override {
        adjustments.push_back(args.adjustment);
        return swf::writeContainerSwf(path, args, silently, writerMessages, clipboard);
    }
    std::optional<swf::MovieInfo> readBack(const std::string& path) override {
        swf::HeaderReadState state;
        SilentMessageSink sink;
        auto r = swf::readSwfHeaderFile(path, true, true, state, sink);
        if (!r || r->path != swf::HeaderPath::Read) return std::nullopt;
        return r->info;
    }
};

struct Folder {
    std::filesystem::path dir;
    Folder() {
        dir = std::filesystem::temp_directory_path() /
              ("kelmora-extras-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    ~Folder() { std::filesystem::remove_all(dir); }
};

MovieProperties readableMovie(int w, int h) {
    MovieProperties p;
    swf::MovieInfo info;
    info.version = 6;
    info.widthPx = static_cast<int16_t>(w);
    info.heightPx = static_cast<int16_t>(h);
    info.movieFrameRate = 12;
    info.frameCount = 1;
    info.backgroundRed = 0x33;
    info.backgroundGreen = 0x66;
    info.backgroundBlue = 0x99;
    p.apply(swf::prefillFromMovie(info, "movie.swf"));
    return p;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(ExtrasContainerCommand, AttemptsFollowTheMovieSize) {
    struct Case { int w, h; std::vector<int> adjustments; bool passed; } cases[] = {
        {550, 400, {0}, true},
        {1000, 700, {0, 1}, true},
        {20, 20, {0, 1, -1}, false},
    };
    for (const Case& c : cases) {
        Folder folder;
        Host host;
        host.moviePath = (folder.dir / "movie.swf").string();
        MovieProperties props = readableMovie(c.w, c.h);
        Labels labels;
        RecordingSink messages;
        const ContainerRun run = runContainerCommand(host, props, labels, messages);
        const std::string expectedPath = (folder.dir / "kelmora-container.swf").string();
        EXPECT_EQ(run.path, expectedPath);
        EXPECT_EQ(host.adjustments, c.adjustments) << c.w;
        EXPECT_EQ(run.passed, c.passed) << c.w;
        ASSERT_EQ(messages.shown.size(), c.passed ? 1u : 2u) << c.w;
        if (!c.passed) {
            EXPECT_EQ(messages.shown[0].text,
                      "Sorry, can't generate header.\r\n\r\nPlease contact feedback@kelmora.example.org\r\nThank you!");
        }
        const Message& done = messages.shown.back();
        EXPECT_EQ(done.title, "Container movie generated");
        EXPECT_EQ(done.text, "File '" + expectedPath +
                                 "' generated.\r\n\r\nNow open the container movie (kelmora-container.swf) from your "
                                 "movies folder\r\nand convert the wapped movie.");
        EXPECT_EQ(props.frameCount, "100");
        if (c.passed) {
            EXPECT_EQ(labels.label(InfoLabel::FrameCount), "100");
            EXPECT_EQ(labels.label(InfoLabel::FrameRate), "1");
        }
    }
}

TEST(ExtrasContainerCommand, WritesTheFileTheWriterLaysOut) {
    Folder folder;
    Host host;
    host.moviePath = (folder.dir / "movie.swf").string();
    host.answer = "99.5";  // halves to even: 100
    MovieProperties props = readableMovie(550, 400);
    Labels labels;
    RecordingSink messages;
    runContainerCommand(host, props, labels, messages);
    const std::vector<uint8_t> bytes = fileBytes((folder.dir / "kelmora-container.swf").string());
    EXPECT_EQ(bytes.size(), 315u);
    swf::ContainerMovieArgs args;
    args.version = 6;
    args.widthPx = 550;
    args.heightPx = 400;
    args.frameRate = 1;
    args.frameCount = 100;
    args.red = 0x33;
    args.green = 0x66;
    args.blue = 0x99;
    args.movieFileName = "movie.swf";
    auto expected = swf::buildContainerSwf(args);
    ASSERT_TRUE(expected.ok());
    EXPECT_EQ(bytes, expected->bytes);
}

TEST(ExtrasContainerCommand, EndsEarlyOrRefusesWrongValues) {
    Folder folder;
    const std::string movie = (folder.dir / "movie.swf").string();
    const std::string container = (folder.dir / "kelmora-container.swf").string();
    for (std::optional<std::string> answer : {std::optional<std::string>(), std::optional<std::string>("many")}) {
        Host host;
        host.moviePath = movie;
        host.answer = answer;
        MovieProperties props = readableMovie(550, 400);
        Labels labels;
        RecordingSink messages;
        runContainerCommand(host, props, labels, messages);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(host.adjustments.empty());
    }
    {
        Host host;  // no movie chosen
        MovieProperties props;
        Labels labels;
        RecordingSink messages;
        EXPECT_TRUE(runContainerCommand(host, props, labels, messages).path.empty());
        EXPECT_TRUE(host.adjustments.empty());
    }
    // A compressed movie whose dialog was cancelled keeps "?"; a width beyond the writer's range.
    struct Case { std::string width, frameCount, message; } cases[] = {
        {"?", "50", "The movie width \"?\" is not a whole number from 1 to 1638.\r\nNo container movie was written."},
        {"2000", "50", "The movie width \"2000\" is not a whole number from 1 to 1638.\r\nNo container movie was written."},
        {"640", "?", "The frame count \"?\" is not a whole number from 1 to 32767.\r\nNo container movie was written."},
    };
    for (const Case& c : cases) {
        Host host;
        host.moviePath = movie;
        host.unreadable = true;
        MovieProperties props;
        props.width = c.width;
        props.height = "480";
        props.frameCount = c.frameCount;
        Labels labels;
        RecordingSink messages;
        runContainerCommand(host, props, labels, messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_TRUE(host.adjustments.empty());
        EXPECT_FALSE(std::filesystem::exists(container));
    }
}

TEST(ExtrasContainerCommand, CompressedMovieUsesTheTypedFrameCountAndRate) {
    Folder folder;
    Host host;
    host.moviePath = (folder.dir / "movie.swf").string();
    host.unreadable = true;
    host.answer = std::nullopt;  // asking would end the command
    MovieProperties props;
    props.apply(swf::prefillForManualEntry("movie.swf"));
    props.width = "320";
    props.height = "240";
    props.frameRate = "12";
    props.frameCount = "40";
    props.hatched = false;
    Labels labels;
    RecordingSink messages;
    const ContainerRun run = runContainerCommand(host, props, labels, messages);
    EXPECT_TRUE(run.passed);  // a typed rate of 12 reads back as 12 and passes
    EXPECT_EQ(host.adjustments, std::vector<int>{0});
    EXPECT_EQ(labels.label(InfoLabel::FrameCount), "40");
    EXPECT_EQ(labels.label(InfoLabel::FrameRate), "12");
}

TEST(ExtrasContainerCommand, NoToReplacingKeepsTheFile) {
    // A 1000 x 700 movie fails its first read-back; after a No to replacing the existing file the
    // later attempts, which replace without asking, must not run.
    Folder folder;
    const std::string container = (folder.dir / "kelmora-container.swf").string();
    { std::ofstream(container, std::ios::binary) << "precious"; }
    Host host;
    host.moviePath = (folder.dir / "movie.swf").string();
    host.writerMessages.yesNo = MessageAnswer::No;
    MovieProperties props = readableMovie(1000, 700);
    Labels labels;
    RecordingSink messages;
    const ContainerRun run = runContainerCommand(host, props, labels, messages);
    EXPECT_EQ(host.adjustments, std::vector<int>{0});
    EXPECT_FALSE(run.passed);
    EXPECT_TRUE(messages.shown.empty());
    const std::vector<uint8_t> kept = fileBytes(container);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
}
