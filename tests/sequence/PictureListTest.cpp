#include <gtest/gtest.h>

#include "SequenceTestSupport.h"
#include "sequence/PictureList.h"
#include "settings/Settings.h"

namespace kelmora {
namespace {

using testing::makeBmp;
using testing::writeFile;

struct ListFixture {
    testing::ScratchFolder dir;
    Settings settings;
    testing::RecordingMessageSink messages;
    PictureList list{settings, messages};
    std::string picture(const std::string& name, int w, int h, int bits) {
        writeFile(dir.file(name), makeBmp(w, h, bits, true, 0));
        return dir.file(name);
    }
};

TEST(PictureList, ReferenceFormatAndButtons) {
    ListFixture f;
    EXPECT_FALSE(f.list.clearAndWriteEnabled());
    const auto a = f.picture("A.bmp", 8, 6, 8), b = f.picture("b.bmp", 8, 6, 24), c = f.picture("c.bmp", 8, 6, 8);
    f.list.addSelection(f.dir.path() + "\r\nA.bmp\r\nb.bmp\r\nc.bmp\r\n");
    EXPECT_EQ(f.list.entries(), (std::vector<std::string>{a, c}));  // names keep their case
    ASSERT_EQ(f.messages.messages.size(), 1u);
    EXPECT_EQ(f.messages.messages[0].title, b);
    EXPECT_EQ(f.messages.messages[0].text, kDifferentFormatText);
    EXPECT_EQ(f.messages.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(f.list.clearAndWriteEnabled());
    EXPECT_EQ(f.list.previewPath(), c);
    EXPECT_EQ(f.settings.aviPath(), f.dir.path() + "/");

    // Removing everything keeps the reference; clearing drops it.
    f.list.select(0);
    f.list.removeSelected();
    f.list.select(0);
    f.list.removeSelected();
    EXPECT_EQ(f.list.count(), 0);
    EXPECT_TRUE(f.list.clearAndWriteEnabled());
    f.list.addPicture(b);
    EXPECT_EQ(f.list.count(), 0);
    f.list.clear();
    EXPECT_FALSE(f.list.clearAndWriteEnabled());
    EXPECT_TRUE(f.list.previewPath().empty());
    f.list.addPicture(b);
    EXPECT_EQ(f.list.count(), 1);
    EXPECT_EQ(f.list.reference().bitCount, 24);

    // An unreadable file: the reader's message, nothing added, aviPath still moves.
    f.list.clear();
    f.messages.messages.clear();
    f.list.addPicture("/nowhere/x.bmp");
    EXPECT_EQ(f.list.count(), 0);
    EXPECT_FALSE(f.list.clearAndWriteEnabled());
    ASSERT_EQ(f.messages.messages.size(), 1u);
    EXPECT_EQ(f.messages.messages[0].text, "File does not exist:\r\n/nowhere/x.bmp");
    EXPECT_EQ(f.settings.aviPath(), "/nowhere/");
}

TEST(PictureList, SortMoveRemove) {
    ListFixture f;
    for (auto n : {"frame10.bmp", "frame2.bmp", "frame1.bmp", "Frame3.bmp"}) f.list.addPicture(f.picture(n, 4, 4, 24));
    f.list.select(2);
    int passes = 0;
    f.list.sort([&] { ++passes; });
    EXPECT_EQ(f.list.entries(), (std::vector<std::string>{f.dir.file("Frame3.bmp"), f.dir.file("frame1.bmp"),
                                                          f.dir.file("frame10.bmp"), f.dir.file("frame2.bmp")}));
    EXPECT_GE(passes, 2);
    EXPECT_EQ(f.list.selected(), 2);

    const auto before = f.list.entries();
    f.list.select(0);
    f.list.moveUp();
    f.list.select(3);
    f.list.moveDown();
    f.list.select(-1);
    f.list.moveUp();
    f.list.moveDown();
    f.list.removeSelected();
    EXPECT_EQ(f.list.entries(), before);
    EXPECT_TRUE(f.messages.messages.empty());

    f.list.select(1);
    f.list.moveUp();
    EXPECT_EQ(f.list.selected(), 0);
    EXPECT_EQ(f.list.entries()[0], before[1]);
    EXPECT_EQ(f.list.previewPath(), before[1]);
    f.list.moveDown();
    EXPECT_EQ(f.list.entries(), before);

    f.messages.answer = MessageAnswer::Cancel;
    f.list.select(2);
    f.list.removeSelected();
    EXPECT_EQ(f.list.count(), 4);
    EXPECT_EQ(f.messages.messages.back().title, before[2]);
    EXPECT_EQ(f.messages.messages.back().text, kRemoveQuestion);
    EXPECT_EQ(f.messages.messages.back().buttons, MessageButtons::OkCancel);
    f.messages.answer = MessageAnswer::Ok;
    f.list.removeSelected();
    EXPECT_EQ(f.list.count(), 3);
}

TEST(PictureList, FrameRateBox) {
    Settings settings;
    struct Case { const char* typed; const char* text; int scroll; };
    for (const Case& c : {Case{"150", "99", 0}, Case{"0", "1", 98}, Case{"7.9", "7", 92}, Case{"60", "60", 39},
                          Case{"-3", "1", 98}}) {
        auto box = frameRateTyped(c.typed, settings);
        ASSERT_TRUE(box) << c.typed;
        EXPECT_EQ(box->text, c.text) << c.typed;
        EXPECT_EQ(box->scroll, c.scroll) << c.typed;
        EXPECT_EQ(settings.frameRate(), c.text);
    }
    EXPECT_FALSE(frameRateTyped("abc", settings));
    EXPECT_FALSE(frameRateTyped("", settings));
    EXPECT_EQ(settings.frameRate(), "1");
    EXPECT_EQ(frameRateScrolled(0, settings).text, "99");
    EXPECT_EQ(frameRateScrolled(99, settings).scroll, 98);
    settings.setFrameRate("junk");
    EXPECT_EQ(frameRateAtLoad(settings).text, "12");
    settings.setFrameRate("25");
    EXPECT_EQ(frameRateAtLoad(settings).scroll, 74);
    // The writer takes what the box shows, 60 included.
    EXPECT_EQ(frameRateForWriting("60"), 60);
    EXPECT_EQ(frameRateForWriting("45"), 45);
    EXPECT_EQ(frameRateForWriting("12.5"), 12);
    EXPECT_EQ(frameRateForWriting(""), 1);
    EXPECT_EQ(frameRateForWriting("x"), 1);
    EXPECT_EQ(frameRateForWriting("500"), 99);
}

}  // namespace
}  // namespace kelmora
