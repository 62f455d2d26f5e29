#include <gtest/gtest.h>

#include "ExtrasQtApp.h"
#include "app/extras/Addresses.h"
#include "app/extras/Links.h"

using namespace kelmora::app;

namespace {
struct RecordingOpener : UrlOpener {
    std::vector<QUrl> urls;
    void open(const QUrl& url) override { urls.push_back(url); }
};
}  // namespace

TEST(ExtrasLinks, HttpPrefixFollowsTheCaseSensitiveRule) {
    kelmora::testing::extrasQtApp();
    struct Case { std::string address, mode, changedTo; } cases[] = {
        {kHomepageAddress, "", std::string("http://") + kHomepageAddress},
        {"http://kelmora.example.org/", "", "http://kelmora.example.org/"},
        {"HTTP://kelmora.example.org/", "", "http://HTTP://kelmora.example.org/"},
        {"kelmora.example.org", "Local", "http://kelmora.example.org"},
    };
    for (auto& c : cases) {
        RecordingOpener opener;
        std::string address = c.address;
        openLink(address, c.mode, opener);
        EXPECT_EQ(address, c.changedTo);
        ASSERT_EQ(opener.urls.size(), 1u);
        EXPECT_EQ(opener.urls[0], QUrl(QString::fromStdString(c.changedTo), QUrl::TolerantMode)) << c.address;
    }
    RecordingOpener opener;
    std::string home = kHomepageAddress;
    openLink(home, "", opener);
    EXPECT_EQ(opener.urls[0].query().toStdString(), "category=8&item=37&ref=kelmora");
}

TEST(ExtrasLinks, LocalDocumentsOpenAsFilesUnchanged) {
    kelmora::testing::extrasQtApp();
    RecordingOpener opener;
    std::string absolute = "/opt/kelmora/help file.html";
    openLink(absolute, "local", opener);
    EXPECT_EQ(absolute, "/opt/kelmora/help file.html");
    std::string relative = "history.html";
    openLink(relative, "local", opener);
    EXPECT_EQ(relative, "history.html");
    ASSERT_EQ(opener.urls.size(), 2u);
    EXPECT_TRUE(opener.urls[0].isLocalFile());
    EXPECT_EQ(opener.urls[0].toLocalFile().toStdString(), "/opt/kelmora/help file.html");
    EXPECT_EQ(opener.urls[1].toLocalFile().toStdString(), programFolder() + "history.html");
}

TEST(ExtrasLinks, MailTextIsUnencodedAndTheUrlCarriesIt) {
    kelmora::testing::extrasQtApp();
    const std::string subject = "[kelmora 0.3 build 26 application feedback]";
    EXPECT_EQ(mailText("a@b.example", subject, ""),
              "mailto:a@b.example?Subject=[kelmora 0.3 build 26 application feedback]&Body=");
    RecordingOpener opener;
    openMail("a@b.example", subject, "", opener);
    ASSERT_EQ(opener.urls.size(), 1u);
    const QUrl& url = opener.urls[0];
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme().toStdString(), "mailto");
    EXPECT_EQ(url.path().toStdString(), "a@b.example");
    EXPECT_EQ(url.query(QUrl::FullyDecoded).toStdString(), "Subject=" + subject + "&Body=");
}
