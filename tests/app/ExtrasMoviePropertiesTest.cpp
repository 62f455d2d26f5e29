#include <gtest/gtest.h>

#include <QLineEdit>
#include <map>

#include "ExtrasQtApp.h"
#include "app/extras/WriteSwfDialog.h"

using namespace kelmora;
using namespace kelmora::app;

namespace {
struct RecordingSink : MessageSink {
    std::vector<std::string> texts;
    MessageAnswer show(const Message& m) override {
        texts.push_back(m.text);
        return MessageAnswer::Ok;
    }
};
struct Labels : MovieInfoLabels {
    std::map<InfoLabel, std::string> texts;
    std::string label(InfoLabel w) const override { return texts.count(w) ? texts.at(w) : ""; }
    void setLabel(InfoLabel w, const std::string& t) override { texts[w] = t; }
};
}  // namespace

TEST(ExtrasMovieProperties, OkChecksTheFieldsInOrder) {
    struct Case { std::string width, height, rate, count; bool hatched; std::string message; std::optional<PropertyField> focus; std::string countAfter; } cases[] = {
        {"0", "?", "1", "?", true, "You must specify a proper movie width", PropertyField::Width, "?"},
        {"640", "?", "1", "?", true, "You must specify a proper movie height", PropertyField::Height, "?"},
        {"640", "480", "abc", "?", true, "You must specify a proper frame rate", PropertyField::FrameRate, "?"},
        {"640", "480", "1", "-3", true, "You must specify a proper frame count", PropertyField::FrameCount, "-3"},
        {"640", "480", "1", "12.7", true, "You must specify a background color", std::nullopt, "12"},
        {"640px", "480", "1", "0.9", false, "You must specify a proper frame count", PropertyField::FrameCount, "0"},
    };
    for (const Case& c : cases) {
        MovieProperties p;
        p.width = c.width;
        p.height = c.height;
        p.frameRate = c.rate;
        p.frameCount = c.count;
        p.hatched = c.hatched;
        RecordingSink sink;
        Labels labels;
        const OkResult r = acceptMovieProperties(p, sink, labels);
        EXPECT_FALSE(r.accepted);
        ASSERT_EQ(sink.texts.size(), 1u);
        EXPECT_EQ(sink.texts[0], c.message);
        EXPECT_EQ(r.focus, c.focus) << c.message;
        EXPECT_EQ(p.frameCount, c.countAfter) << c.message;
        EXPECT_TRUE(labels.texts.empty());
    }
    MovieProperties p;
    p.version = "8";
    p.width = "640.9";
    p.height = "480";
    p.frameRate = "1";
    p.frameCount = "12.7";
    p.hatched = false;
    RecordingSink sink;
    Labels labels;
    EXPECT_TRUE(acceptMovieProperties(p, sink, labels).accepted);
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_EQ(labels.texts, (std::map<InfoLabel, std::string>{{InfoLabel::Version, "8"}, {InfoLabel::Size, ""},
                                                              {InfoLabel::Width, "640"}, {InfoLabel::Height, "480"},
                                                              {InfoLabel::FrameRate, "1"}, {InfoLabel::FrameCount, "12"}}));
}

TEST(ExtrasMovieProperties, DialogFocusesTheWrongField) {
    kelmora::testing::extrasQtApp();
    RecordingSink sink;
    Labels labels;
    frmWriteSWF dialog(labels, sink);
    dialog.properties().apply(swf::prefillForManualEntry("movie.swf"));
    dialog.show();
    dialog.activateWindow();
    EXPECT_EQ(dialog.txtWidth()->text(), "?");
    EXPECT_EQ(dialog.txtFrameRate()->text(), "1");
    dialog.txtWidth()->setText("320");
    dialog.ok();
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "You must specify a proper movie height");
    EXPECT_EQ(dialog.focusWidget(), dialog.txtHeight());
    EXPECT_EQ(dialog.txtHeight()->text(), "0");
    EXPECT_TRUE(dialog.isVisible());
}
