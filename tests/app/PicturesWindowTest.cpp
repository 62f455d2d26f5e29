#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "app/sequence/PicturesWindow.h"
#include "app/sequence/QtFileDialog.h"
#include "sequence/ScriptedDialogs.h"
#include "sequence/SequenceTestSupport.h"
#include "settings/Settings.h"

namespace kelmora {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "pictures-test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return *static_cast<QApplication*>(QApplication::instance());
}

// Made first, so the application exists before any widget.
struct WithApplication {
    WithApplication() { app(); }
};

struct WindowFixture : WithApplication {
    testing::ScratchFolder dir;
    Settings settings;
    testing::RecordingMessageSink messages;
    testing::ScriptedFileDialog files;
    testing::ScriptedCompressorDialog compressors;
    frmSequence window{settings, messages, files, compressors};
    template <class T>
    T* child(const char* name) { return window.findChild<T*>(QString::fromLatin1(name)); }
    std::string picture(const std::string& name, int w, int h, int bits) {
        testing::writeFile(dir.file(name), testing::makeBmp(w, h, bits, true, 1));
        return dir.file(name);
    }
};

TEST(PicturesWindow, ButtonsListAndWrite) {
    WindowFixture f;
    auto* clear = f.child<QPushButton>("cmdClearList");
    auto* write = f.child<QPushButton>("cmdWriteAVI");
    auto* list = f.child<QListWidget>("lstDIBList");
    ASSERT_TRUE(clear && write && list);
    EXPECT_EQ(f.window.windowTitle(), "Pictures");
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(write->isEnabled());

    f.files.many = {f.picture("b2.bmp", 8, 6, 24), f.picture("B1.bmp", 8, 6, 24), f.picture("c.bmp", 9, 6, 24)};
    f.child<QPushButton>("cmdFileOpen")->click();
    EXPECT_EQ(f.files.asked.at(0).title, kAddImagesTitle);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text().toStdString(), f.dir.file("B1.bmp"));
    EXPECT_EQ(f.messages.messages.size(), 1u);  // c.bmp has another width
    EXPECT_TRUE(clear->isEnabled());
    EXPECT_TRUE(write->isEnabled());

    f.child<QPushButton>("cmdSortList")->click();
    EXPECT_EQ(list->item(0)->text().toStdString(), f.dir.file("B1.bmp"));

    // Delete on the selected entry asks, then removes it.
    list->setCurrentRow(1);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(list, &del);
    EXPECT_EQ(f.messages.messages.back().text, kRemoveQuestion);
    EXPECT_EQ(list->count(), 1);

    f.files.answer = f.dir.file("out.avi");
    write->click();
    EXPECT_EQ(f.window.findChild<QLabel*>("lblStatus")->text(), "Finished");
    EXPECT_EQ(testing::readAvi(f.dir.file("out.avi")).frames.size(), 1u);

    clear->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(write->isEnabled());
}

TEST(PicturesWindow, FrameRateBoxAndScrollBar) {
    WindowFixture f;
    auto* box = f.child<QLineEdit>("txtFPS");
    auto* bar = f.child<QScrollBar>("VScroll");
    EXPECT_EQ(box->text(), "12");
    EXPECT_EQ(bar->value(), 87);
    box->setText("150");
    EXPECT_EQ(box->text(), "99");
    EXPECT_EQ(bar->value(), 0);
    box->setText("abc");
    EXPECT_EQ(box->text(), "abc");
    EXPECT_EQ(f.settings.frameRate(), "99");
    bar->setValue(99);
    EXPECT_EQ(box->text(), "1");
    EXPECT_EQ(bar->value(), 98);
    EXPECT_EQ(f.settings.frameRate(), "1");
}

TEST(PicturesWindow, QtFilterForm) {
    EXPECT_EQ(qtFilter(convertFilter("Bitmaps (*.bmp)|*.bmp|All Files (*.*)|*.*")), "Bitmaps (*.bmp);;All Files (*)");
    EXPECT_EQ(qtFilter(convertFilter("Pictures|*.bmp;*.dib")), "Pictures (*.bmp *.dib)");
}

}  // namespace
}  // namespace kelmora
