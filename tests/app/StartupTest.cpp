#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/InstanceLock.h"
#include "app/OutputNameCheck.h"
#include "app/StartupChecks.h"
#include "app/extras/Addresses.h"
#include "app/extras/Links.h"
#include "capture/CaptureFakes.h"

namespace fs = std::filesystem;
using namespace kelmora;
using namespace kelmora::app;
using kelmora::capture::testing::FakePlayer;
using kelmora::capture::testing::RecordingSink;

namespace {
struct MissingPlayer : FakePlayer {
    bool present() const override { return false; }
};
struct IgnoringOpener : UrlOpener {
    void open(const QUrl&) override {}
} ignored;
struct NoSink : MessageSink {
    MessageAnswer answer = MessageAnswer::No;
    std::vector<Message> shown;
    MessageAnswer show(const Message& m) override {
        shown.push_back(m);
        return m.buttons == MessageButtons::YesNo ? answer : MessageAnswer::Ok;
    }
};
}  // namespace

TEST(Startup, PlayerCheck) {
    RecordingSink quiet;
    FakePlayer builtIn;
    EXPECT_TRUE(playerCheck(builtIn, quiet, nullptr));
    EXPECT_TRUE(quiet.shown.empty());

    MissingPlayer missing;
    NoSink no;
    std::string opened;
    EXPECT_FALSE(playerCheck(missing, no, [&](const std::string& a) { opened = a; }));
    ASSERT_EQ(no.shown.size(), 2u);
    EXPECT_EQ(no.shown[0].title, "Flash Plugin!?");
    EXPECT_EQ(no.shown[0].text,
              "Are you shure that you have installed Flash Plugin for Internet Explorer?\r\nThe program will cause an error if not.");
    EXPECT_EQ(no.shown[1].title, "Please install Flash Plugin first!");
    EXPECT_EQ(no.shown[1].text, "Please visit flash-vendor.example.com and install the Flash Plugin to use kelmora.\r\n\r\n"
                                "flash-vendor.example.com/player/download/");
    // Without a scheme: the link opener puts "http://" in front of it once.
    EXPECT_EQ(opened, kFlashDownloadAddress);
    std::string link = opened;
    openLink(link, "", ignored);
    EXPECT_EQ(link, "http://flash-vendor.example.com/player/download/");

    NoSink yes;
    yes.answer = MessageAnswer::Yes;
    EXPECT_TRUE(playerCheck(missing, yes, nullptr));
}

TEST(Startup, QuittingTwiceRunsOnce) {
    QuitGuard guard;
    int runs = 0;
    for (int i = 0; i < 3; ++i)
        if (guard.enter()) ++runs;
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(guard.quitting());
}

TEST(Startup, SingleInstance) {
    fs::path dir = fs::temp_directory_path() / ("kelmora-lock-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        InstanceLock first(dir.string());
        EXPECT_TRUE(first.acquired());
        InstanceLock second(dir.string());
        EXPECT_FALSE(second.acquired());
    }
    InstanceLock again(dir.string());
    EXPECT_TRUE(again.acquired());
    fs::remove_all(dir);
}

TEST(Startup, VersionAndHelp) {
    EXPECT_EQ(versionTitle().rfind("kelmora v", 0), 0u);
    EXPECT_NE(helpText().find("/start:N"), std::string::npos);
}

TEST(OutputNameCheck, Rules) {
    fs::path dir = fs::temp_directory_path() / ("kelmora-name-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Settings s("/prog");
    RecordingSink messages;

    s.setOutputName("frames");  // no folder: not tested
    checkOutputName(s, false, messages);
    EXPECT_TRUE(messages.shown.empty());

    s.setOutputName((dir / "frames").string());
    checkOutputName(s, false, messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(fs::is_empty(dir));  // nothing left behind

    std::ofstream(dir / "frames_test") << "mine";
    checkOutputName(s, false, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "frames_test");
    EXPECT_EQ(messages.shown[0].text, "This may replace some existing files!\r\n\r\n" + (dir / "frames").string());
    std::ifstream kept(dir / "frames_test");
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "mine");

    messages.shown.clear();
    s.setOutputName((dir / "missing" / "frames").string());
    checkOutputName(s, false, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Error: 2\r\n\r\n", 0), 0u);
    EXPECT_EQ(s.outputName(), (dir / "missing" / "frames").string());

    checkOutputName(s, true, messages);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(s.outputName(), kWrongFileName);
    fs::remove_all(dir);
}
