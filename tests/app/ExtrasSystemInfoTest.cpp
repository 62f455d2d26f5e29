#include <gtest/gtest.h>

#include <QLineEdit>

#include "ExtrasQtApp.h"
#include "app/extras/DriveReport.h"
#include "app/extras/SystemInfo.h"

using namespace kelmora;
using namespace kelmora::app;

namespace {
struct CountingSink : MessageSink {
    std::vector<std::string> texts;
    MessageAnswer show(const Message& m) override {
        texts.push_back(m.text);
        return MessageAnswer::Ok;
    }
};
constexpr uint64_t MB = 1024 * 1024;
}  // namespace

TEST(ExtrasDriveReport, FiguresFormLinesLikeTheExample) {
    CountingSink sink;
    const std::vector<DriveFigures> drives = {
        {"/", true, 19077 * MB, 5120 * MB},                 // beyond 2 GB
        {"/home", true, 4'000'000ull * MB, 3'999'999ull * MB},  // terabytes: grouping of three groups
        {"/srv", true, 100 * MB, MB / 2 - 1},               // under half a megabyte free: no digits
        {"/data", true, 0, 0},                              // reports no size
        {"/broken", false, 0, 0},
    };
    const std::string report = driveReport(drives, ",", sink);
    EXPECT_EQ(report,
              " Scanning.. ok.  5 HD(s) found.\r\n"
              "\r\n / Total: 19,077MB, Free: 5,120MB  (26%)"
              "\r\n /home Total: 4,000,000MB, Free: 3,999,999MB  (99%)"
              "\r\n /srv Total: 100MB, Free: MB  (0%)"
              "\r\n /data Total: MB, Free: MB  (0%)"
              "\r\n /broken");
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Error in GetDiskFreeSpace.");
    EXPECT_EQ(driveReport({}, ".", sink), " Scanning.. ok.  0 HD(s) found.\r\n");
    EXPECT_EQ(megabytesText(MB / 2, "."), "");           // half rounds to even: zero
    EXPECT_EQ(megabytesText(MB + MB / 2, "."), "2");
    EXPECT_EQ(megabytesText(1234567 * MB, "."), "1.234.567");
    EXPECT_EQ(megabytesText(999 * MB, "\u00a0"), "999");
}

TEST(ExtrasDriveReport, ScreenTexts) {
    EXPECT_EQ(colorDepthText(16).text, "16 Bit - High Color");
    EXPECT_EQ(colorDepthText(16).indicatorRgb, 0x00C000u);
    EXPECT_EQ(colorDepthText(8).text, "8 Bit - 256 Colors");
    EXPECT_EQ(colorDepthText(8).indicatorRgb, 0xC00000u);
    EXPECT_EQ(colorDepthText(32).text, "32 Bit - True Color");
    EXPECT_EQ(colorDepthText(24).text, "24 Bit - ");
    EXPECT_FALSE(colorDepthText(24).indicatorRgb.has_value());
    EXPECT_EQ(colorDepthText(1).text, "1 Bit - Monochrom");
    EXPECT_EQ(resolutionText(1024, 768), "1024 x 768");
}

TEST(ExtrasSystemInfo, TypingPutsTheComputedTextBack) {
    kelmora::testing::extrasQtApp();
    CountingSink sink;
    frmSystemInfo window(sink);
    window.refresh();
    const QString depth = window.txtColorDepth()->text();
    EXPECT_TRUE(depth.contains(" Bit - "));
    window.txtColorDepth()->setFocus();
    window.txtColorDepth()->selectAll();
    window.txtColorDepth()->insert("x");  // emits textEdited like typing
    EXPECT_EQ(window.txtColorDepth()->text(), depth);
    EXPECT_TRUE(window.txtResolution()->text().contains(" x "));
    for (const DriveFigures& d : localHardDisks()) EXPECT_FALSE(d.name.starts_with("/proc")) << d.name;
}
