#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kelmora;

namespace {

class RecordingObserver : public SettingsObserver {
public:
    void settingChanged(SettingsField field) override { changes.push_back(field); }
    std::vector<SettingsField> changes;
};

}  // namespace

TEST(Settings, DefaultsAtStartUp) {
    Settings s("/opt/kelmora");
    EXPECT_EQ(s.swfPath(), "/opt/kelmora");
    EXPECT_EQ(s.format(), PictureFormat::Jpg);
    EXPECT_EQ(s.quality(), "100");
    EXPECT_EQ(s.qualityScrollPosition(), 0);
    EXPECT_EQ(s.preCapture(), kUnchecked);
    EXPECT_EQ(s.startFrame(), "1");
    EXPECT_EQ(s.stopFrame(), "25");
    EXPECT_EQ(s.aviPath(), "");
    EXPECT_EQ(s.frameRate(), "12");
    EXPECT_EQ(s.useFrameRange(), kUnchecked);
    EXPECT_EQ(s.outputNameMode(), OutputNameMode::DeriveFromSource);
    EXPECT_EQ(s.outputName(), "output-file-name");
}

TEST(Settings, QualityTextAndScrollBarFollowEachOther) {
    struct Case {
        const char* typed;
        const char* quality;
        int scroll;
    };
    // Each typed text starts from quality 50 (scroll 50).
    const Case cases[] = {
        {"150", "100", 0}, {"-3", "0", 100}, {"7.9", "7", 93}, {"-0.5", "0", 100}, {" 80 ", "80", 20},
        {"", "", 50},      {"-", "-", 50},   {"abc", "abc", 50}, {"12abc", "12abc", 50}, {"-0", "0", 100},
    };
    for (const Case& c : cases) {
        Settings s;
        s.setQuality("50");
        ASSERT_EQ(s.qualityScrollPosition(), 50);
        s.setQuality(c.typed);
        EXPECT_EQ(s.quality(), c.quality) << c.typed;
        EXPECT_EQ(s.qualityScrollPosition(), c.scroll) << c.typed;
    }
    Settings s;
    RecordingObserver o;
    s.addObserver(&o);
    s.setQualityScrollPosition(30);
    EXPECT_EQ(s.quality(), "70");
    EXPECT_EQ(o.changes, (std::vector{SettingsField::QualityScroll, SettingsField::Quality}));
    o.changes.clear();
    s.setQuality("70");  // no change, nothing told
    s.setQualityScrollPosition(30);
    EXPECT_TRUE(o.changes.empty());
    s.setQualityScrollPosition(250);  // kept within the bar's range
    EXPECT_EQ(s.quality(), "0");
    s.removeObserver(&o);
    s.setQuality("1");
    EXPECT_EQ(o.changes.size(), 2u);
}

TEST(Settings, WhichControlsAreEnabled) {
    Settings s;
    EXPECT_TRUE(s.qualityControlsEnabled());
    s.setFormat(PictureFormat::Bmp);
    EXPECT_FALSE(s.qualityControlsEnabled());
    s.setFormat(PictureFormat::Avi);
    EXPECT_TRUE(s.qualityControlsEnabled());

    EXPECT_FALSE(s.outputNameControlsEnabled());
    s.setOutputNameMode(OutputNameMode::Define);
    EXPECT_TRUE(s.outputNameControlsEnabled());

    EXPECT_FALSE(s.frameRangeControlsEnabled());
    s.setUseFrameRange(kChecked);
    EXPECT_TRUE(s.frameRangeControlsEnabled());
    s.setUseFrameRange(kGrayed);
    EXPECT_FALSE(s.frameRangeControlsEnabled());
}

TEST(Settings, FrameTextsAndTheRangeCheck) {
    EXPECT_EQ(normaliseFrameText("-2.5"), "3");
    EXPECT_EQ(normaliseFrameText("7.9"), "7");
    EXPECT_EQ(normaliseFrameText("x"), "x");
    EXPECT_EQ(normaliseFrameText(""), "");
    EXPECT_EQ(normaliseFrameText("-0.2"), "1");

    Settings s;
    s.setStartFrame("20");
    s.setStopFrame("10");
    EXPECT_EQ(checkFrameRange(s, false), FrameRangeVerdict::AskToCorrect);
    EXPECT_EQ(s.stopFrame(), "10");
    EXPECT_EQ(checkFrameRange(s, true), FrameRangeVerdict::StopSetToStart);
    EXPECT_EQ(s.stopFrame(), "20");
    EXPECT_EQ(checkFrameRange(s, false), FrameRangeVerdict::Fine);
    s.setStartFrame("abc");
    s.setStopFrame("5");
    EXPECT_EQ(checkFrameRange(s, false), FrameRangeVerdict::Fine);  // "abc" counts as 0
    s.setStartFrame(" 12x");
    EXPECT_EQ(checkFrameRange(s, false), FrameRangeVerdict::AskToCorrect);  // leading digits: 12
}
