#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>

#include "ExtrasQtApp.h"
#include "app/extras/AboutBox.h"
#include "app/extras/Addresses.h"
#include "app/extras/Links.h"

using namespace kelmora::app;
using kelmora::testing::processEventsUntil;

namespace {
struct RecordingOpener : UrlOpener {
    std::vector<QUrl> urls;
    void open(const QUrl& url) override { urls.push_back(url); }
};

void click(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, {}, {});
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}
}  // namespace

TEST(ExtrasAboutBox, TextsComeFromTheVersionRecord) {
    EXPECT_EQ(aboutCaption(), "About kelmora");
    EXPECT_EQ(aboutTitle(), "kelmora 0.3");
    EXPECT_EQ(aboutBuild(), " (build 26)");
    EXPECT_EQ(feedbackSubject(), "[kelmora 0.3 build 26 application feedback]");
}

TEST(ExtrasAboutBox, ClosesItselfOnlyOnItsFirstShowing) {
    kelmora::testing::extrasQtApp();
    RecordingOpener opener;
    frmAbout box(opener, nullptr, 100);
    box.show();
    EXPECT_TRUE(processEventsUntil([&] { return box.isHidden(); }, 3000));
    box.show();
    EXPECT_FALSE(box.AutoCloseTimer().isActive());
    processEventsUntil([] { return false; }, 300);
    EXPECT_TRUE(box.isVisible());
}

TEST(ExtrasAboutBox, LinksOpenAndLeaveTheBoxOpenOtherClicksHideIt) {
    kelmora::testing::extrasQtApp();
    RecordingOpener opener;
    frmAbout box(opener, nullptr, 60000);
    box.show();
    click(box.lblEMail());
    click(box.lblHomepage());
    EXPECT_TRUE(box.isVisible());
    ASSERT_EQ(opener.urls.size(), 2u);
    EXPECT_EQ(opener.urls[0], mailUrl(kFeedbackMail, feedbackSubject(), ""));
    EXPECT_EQ(opener.urls[1].toString().toStdString(), std::string("http://") + kHomepageAddress);
    click(box.lblTitle());
    EXPECT_TRUE(box.isHidden());
}
