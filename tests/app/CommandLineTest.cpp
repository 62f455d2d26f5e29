#include <gtest/gtest.h>

#include <set>

#include "app/CommandLine.h"
#include "capture/CaptureFakes.h"

using namespace kelmora;
using namespace kelmora::app;
using kelmora::capture::testing::RecordingSink;

namespace {

struct Parsed {
    Settings settings{"/prog"};
    StartupFields fields;
    RecordingSink messages;
    int nameChecks = 0;
    std::set<std::string> files{"/m/a.swf", "x.swf", "/my movies/a b.swf"};
    explicit Parsed(std::vector<std::string> args) {
        settings.setStartFrame("7");
        settings.setPreCapture(kChecked);
        applySwitches(fields, args, settings, messages, [this](const std::string& p) { return files.count(p) > 0; },
                      [this] { ++nameChecks; });
    }
};

}  // namespace

TEST(CommandLine, SwitchesTable) {
    {
        Parsed r({"/jpg", "/m/a.swf"});
        EXPECT_EQ(r.settings.format(), PictureFormat::Jpg);
        EXPECT_EQ(r.settings.quality(), "100");
        EXPECT_EQ(r.settings.preCapture(), kUnchecked);
        EXPECT_EQ(r.settings.startFrame(), "1");
        EXPECT_FALSE(r.fields.suppressErrors);
        EXPECT_EQ(r.fields.commandSourceFile, "/m/a.swf");
        EXPECT_EQ(r.fields.commandLine, "");
    }
    {
        Parsed r({"/BMP", "/JPG", "x.swf"});
        EXPECT_EQ(r.settings.format(), PictureFormat::Jpg);
    }
    {
        Parsed r({"/bmp", "x.swf"});
        EXPECT_EQ(r.settings.format(), PictureFormat::Bmp);
    }
    {
        Parsed r({"/q:75", "/start:10", "/stop:20", "x.swf"});
        EXPECT_EQ(r.settings.quality(), "75");
        EXPECT_EQ(r.settings.useFrameRange(), kChecked);
        EXPECT_EQ(r.settings.startFrame(), "10");
        EXPECT_EQ(r.settings.stopFrame(), "20");
    }
    {
        Parsed r({"/start:10", "x.swf"});
        EXPECT_EQ(r.settings.stopFrame(), "9999");
    }
    {
        Parsed r({"/q:07.9", "x.swf"});
        EXPECT_EQ(r.settings.quality(), "7");
        EXPECT_EQ(r.fields.commandLine, "/q:07.9");  // the rebuilt /q:7 is not in the line
    }
    {
        Parsed r({"/p", "/s", "x.swf"});
        EXPECT_EQ(r.settings.preCapture(), kChecked);
        EXPECT_TRUE(r.fields.suppressErrors);
    }
    {
        Parsed r({"x.swf", "/s"});  // no blank behind it
        EXPECT_FALSE(r.fields.suppressErrors);
        EXPECT_EQ(r.fields.commandLine, "/s");
    }
    {
        Parsed r({"/o:/out/shot", "x.swf"});
        EXPECT_EQ(r.settings.outputNameMode(), OutputNameMode::Define);
        EXPECT_EQ(r.settings.outputName(), "/out/shot");
        EXPECT_EQ(r.nameChecks, 1);
    }
    {
        Parsed r({"/jpg", "/q:50"});  // no movie: no batch run
        EXPECT_EQ(r.fields.commandSourceFile, "");
        EXPECT_EQ(r.settings.quality(), "50");
    }
}

TEST(CommandLine, MoviePaths) {
    {
        Parsed r({"/jpg", "/my movies/a b.swf"});  // one argument, blanks and all
        EXPECT_EQ(r.fields.commandSourceFile, "/my movies/a b.swf");
    }
    {
        Parsed r({"/s", "/tmp/p /s q/missing.SWF"});  // switch-like text inside the path stays
        EXPECT_EQ(r.fields.commandSourceFile, kQuitMarker);
        EXPECT_TRUE(r.messages.shown.empty());
        EXPECT_TRUE(r.fields.suppressErrors);
    }
    {
        Parsed r({"missing.swf"});
        EXPECT_EQ(r.fields.commandSourceFile, kQuitMarker);
        ASSERT_EQ(r.messages.shown.size(), 1u);
        EXPECT_EQ(r.messages.shown[0].text, "Can't open source file 'missing.swf'.");
        EXPECT_EQ(r.messages.shown[0].icon, MessageIcon::Warning);
    }
}

TEST(CommandLine, OddValuedSwitches) {
    {
        Parsed r({"x.swf", "/q:80"});  // at the very end: the rest of the line
        EXPECT_EQ(r.settings.quality(), "80");
    }
    {
        Parsed r({"/q:abc", "/start:x", "x.swf"});  // not numbers: dropped
        EXPECT_EQ(r.settings.quality(), "100");
        EXPECT_EQ(r.settings.useFrameRange(), kUnchecked);
        EXPECT_EQ(r.settings.startFrame(), "1");
    }
    {
        Parsed r({"/start:99999", "x.swf"});
        EXPECT_EQ(r.settings.startFrame(), "32767");
    }
}
