#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <cstdlib>

#include "ExtrasQtApp.h"
#include "app/extras/AboutBox.h"
#include "app/extras/Links.h"
#include "app/extras/WriteSwfDialog.h"
#include "app/extras/SystemInfo.h"

using namespace kelmora;
using namespace kelmora::app;

namespace {
struct QuietSink : MessageSink {
    MessageAnswer show(const Message&) override { return MessageAnswer::Ok; }
};
struct NoLabels : MovieInfoLabels {
    std::string label(InfoLabel) const override { return ""; }
    void setLabel(InfoLabel, const std::string&) override {}
};
struct NoOpener : UrlOpener {
    void open(const QUrl&) override {}
};

bool save(QWidget& w, const QString& dir, const char* name) {
    w.show();
    kelmora::testing::processEventsUntil([] { return false; }, 300);
    return w.grab().save(QDir(dir).filePath(name));
}
}  // namespace

// Renders the windows into PNG files when KELMORA_SCREENSHOT_DIR names a folder (scripts/screenshots-extras).
TEST(ExtrasScreenshot, WindowsRenderIntoPictures) {
    const char* dir = std::getenv("KELMORA_SCREENSHOT_DIR");
    kelmora::testing::extrasQtApp();
    QuietSink sink;
    NoLabels labels;
    NoOpener opener;
    frmAbout about(opener, nullptr, 600000);
    frmSystemInfo info(sink);
    info.refresh();
    frmWriteSWF props(labels, sink);
    swf::MovieInfo movie;
    movie.version = 6;
    movie.widthPx = 550;
    movie.heightPx = 400;
    movie.backgroundRed = 0x33;
    movie.backgroundGreen = 0x66;
    movie.backgroundBlue = 0x99;
    props.properties().apply(swf::prefillFromMovie(movie, "movie.swf"));
    props.properties().frameCount = "100";
    props.properties().hatched = false;
    if (!dir) {
        EXPECT_FALSE(about.grab().isNull());
        return;
    }
    EXPECT_TRUE(save(about, dir, "extras-about.png"));
    EXPECT_TRUE(save(info, dir, "extras-system-info.png"));
    EXPECT_TRUE(save(props, dir, "extras-movie-properties.png"));
}
