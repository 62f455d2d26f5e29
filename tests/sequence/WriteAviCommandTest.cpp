#include <gtest/gtest.h>

#include <filesystem>

#include "ScriptedDialogs.h"
#include "SequenceTestSupport.h"
#include "sequence/PictureList.h"
#include "sequence/WriteAviCommand.h"
#include "settings/Settings.h"

namespace kelmora {
namespace {

class RecordingView : public WriteAviView {
public:
    explicit RecordingView(PictureList& list) : list_(list) {}
    void selectionShown() override { shown.push_back(list_.selected()); }
    void statusShown(const std::string& text) override { status.push_back(text); }
    std::vector<int> shown;
    std::vector<std::string> status;

private:
    PictureList& list_;
};

struct CommandFixture {
    testing::ScratchFolder dir;
    Settings settings;
    testing::RecordingMessageSink messages;
    PictureList list{settings, messages};
    testing::ScriptedFileDialog files;
    testing::ScriptedCompressorDialog compressors;
    RecordingView view{list};
    CompressorChoice choice;
    std::vector<testing::Picture> pictures;

    void add(int n) {
        for (int i = 0; i < n; ++i) {
            testing::Picture p;
            const std::string path = dir.file("f" + std::to_string(i) + ".bmp");
            testing::writeFile(path, testing::makeBmp(6, 4, 24, true, i, &p));
            list.addPicture(path);
            pictures.push_back(p);
        }
    }
    void write(const std::string& rate = "12") {
        writeAvi(list, rate, settings, choice, {files, compressors, messages, view});
    }
};

TEST(WriteAviCommand, WritesEveryEntryWithProgress) {
    CommandFixture f;
    f.add(3);
    f.settings.setAviPath(f.dir.path() + "/");
    f.files.answer = f.dir.file("out.avi");
    f.compressors.answer = CompressorChoice{"ffv1", 50, 5};
    f.write("60");
    EXPECT_TRUE(f.messages.messages.empty());
    const auto& asked = f.files.asked.at(0);
    EXPECT_EQ(asked.title, kSaveAviTitle);
    EXPECT_EQ(asked.fileName, "kelmora.avi");
    EXPECT_EQ(asked.initialDirectory, f.dir.path() + "/");
    EXPECT_EQ(asked.defaultExtension, "avi");
    EXPECT_EQ(f.compressors.offered.at(0).label, "Full Frames (Uncompressed)");
    EXPECT_EQ(f.choice.codec, "ffv1");  // remembered for the next write
    EXPECT_EQ(f.view.status, (std::vector<std::string>{"Frame number 0 saved", "Frame number 1 saved",
                                                       "Frame number 2 saved", "Finished"}));
    EXPECT_EQ(f.list.selected(), 2);
    const auto back = testing::readAvi(f.dir.file("out.avi"));
    EXPECT_EQ(av_q2d(back.rate), 60.0);
    ASSERT_EQ(back.frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(back.frames[i].rgb, f.pictures[i].rgb);
}

TEST(WriteAviCommand, CancelsAndFailures) {
    CommandFixture f;
    // An empty list is refused before any dialog.
    f.write();
    EXPECT_TRUE(f.files.asked.empty());
    EXPECT_EQ(f.messages.messages.at(0).text, kEmptyListText);
    f.messages.messages.clear();

    f.add(3);
    f.write();  // save dialog cancelled: nothing, silently
    EXPECT_TRUE(f.messages.messages.empty());
    EXPECT_TRUE(f.view.status.empty());

    f.files.answer = f.dir.file("c.avi");
    f.compressors.answer.reset();  // compressor dialog cancelled: no message, no frames
    f.write();
    EXPECT_TRUE(f.messages.messages.empty());
    EXPECT_TRUE(f.view.status.empty());

    // A picture that vanished since it was added ends the write with the reader's message.
    f.compressors.answer = CompressorChoice{};
    std::filesystem::remove(f.dir.file("f1.bmp"));
    f.write();
    ASSERT_EQ(f.messages.messages.size(), 1u);
    EXPECT_EQ(f.messages.messages[0].text, "File does not exist:\r\n" + f.dir.file("f1.bmp"));
    EXPECT_EQ(f.view.status.back(), "Frame number 0 saved");
    EXPECT_EQ(testing::readAvi(f.dir.file("c.avi")).frames.size(), 1u);

    // The first picture unreadable: its message and the warning, no write error after it.
    f.messages.messages.clear();
    std::filesystem::remove(f.dir.file("f0.bmp"));
    f.write();
    ASSERT_EQ(f.messages.messages.size(), 2u);
    EXPECT_EQ(f.messages.messages[1].text, kFirstBitmapText);
    EXPECT_EQ(f.messages.messages[1].icon, MessageIcon::Warning);

    // A file that can't be created.
    f.messages.messages.clear();
    f.files.answer = f.dir.path() + "/missing/x.avi";
    f.write();
    ASSERT_EQ(f.messages.messages.size(), 1u);
    EXPECT_EQ(f.messages.messages[0].text.rfind(kWriteErrorText, 0), 0u);
}

}  // namespace
}  // namespace kelmora
