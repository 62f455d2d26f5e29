#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "sequence/FileDialog.h"

namespace kelmora {
namespace {

TEST(FileDialog, FilterConversion) {
    auto f = convertFilter("Bitmaps (*.bmp)|*.bmp|All Files (*.*)|*.*");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Bitmaps (*.bmp)");
    EXPECT_EQ(f[0].pattern, "*.bmp");
    EXPECT_EQ(f[1].description, "All Files (*.*)");
    EXPECT_EQ(f[1].pattern, "*.*");
    // A colon separates like a bar; a description without a pattern takes every file.
    f = convertFilter("A:*.a|B");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].pattern, "*.a");
    EXPECT_EQ(f[1].description, "B");
    EXPECT_EQ(f[1].pattern, "*");
    EXPECT_TRUE(convertFilter("").empty());
}

TEST(FileDialog, SelectionTextKeepsCaseAndRoundTrips) {
    EXPECT_EQ(assembleSelection({"/Pics/A.BMP"}), "/Pics/A.BMP\r\n");
    EXPECT_EQ(assembleSelection({"/Pics/A.bmp", "/Pics/B.bmp"}), "/Pics\r\nA.bmp\r\nB.bmp\r\n");
    EXPECT_EQ(assembleSelection({}), "\r\n");
    EXPECT_EQ(assembleSelection({"/a", "/b"}), "/\r\na\r\nb\r\n");

    EXPECT_EQ(splitSelection("/Pics/A.BMP\r\n"), std::vector<std::string>{"/Pics/A.BMP"});
    EXPECT_EQ(splitSelection("/Pics\r\nA.bmp\r\nB.bmp\r\n"), (std::vector<std::string>{"/Pics/A.bmp", "/Pics/B.bmp"}));
    EXPECT_EQ(splitSelection("/\r\na\r\nb\r\n"), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(splitSelection("\r\n").empty());
    EXPECT_TRUE(splitSelection("").empty());

    testing::ScriptedFileDialog dialog;
    dialog.many = {"/Pics/X.bmp", "/Pics/y.BMP"};
    EXPECT_EQ(selectMultipleFiles(dialog, "T", "Bitmaps (*.bmp)|*.bmp", "/start/"), "/Pics\r\nX.bmp\r\ny.BMP\r\n");
    EXPECT_EQ(dialog.asked.at(0).title, "T");
    EXPECT_EQ(dialog.asked.at(0).initialDirectory, "/start/");
    EXPECT_EQ(dialog.asked.at(0).filters.size(), 1u);
}

TEST(FileDialog, DialogObjectPassesItsPropertiesAndRemembersTheChoice) {
    testing::ScriptedFileDialog dialog;
    cFileDlg dlg;
    EXPECT_TRUE(dlg.OverwritePrompt);
    dlg.DefaultExt = "avi";
    dlg.Filter = "AVI Files (*.avi)|*.avi";
    dlg.InitDirectory = "/videos/";
    std::string name = "kelmora.avi", title;
    EXPECT_FALSE(dlg.VBGetSaveFileName(dialog, name, &title));  // cancelled
    EXPECT_EQ(name, "kelmora.avi");
    const auto& r = dialog.asked.at(0);
    EXPECT_EQ(r.fileName, "kelmora.avi");
    EXPECT_EQ(r.defaultExtension, "avi");
    EXPECT_EQ(r.initialDirectory, "/videos/");
    EXPECT_TRUE(r.overwritePrompt);
    dialog.answer = "/videos/Out.avi";
    EXPECT_TRUE(dlg.VBGetSaveFileName(dialog, name, &title));
    EXPECT_EQ(name, "/videos/Out.avi");
    EXPECT_EQ(title, "Out.avi");
    EXPECT_EQ(dlg.InitDirectory, "/videos/Out.avi");
}

}  // namespace
}  // namespace kelmora
