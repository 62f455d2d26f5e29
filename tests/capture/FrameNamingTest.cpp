#include <gtest/gtest.h>

#include "capture/FrameNaming.h"

using namespace kelmora;
using namespace kelmora::capture;

TEST(FrameNaming, Table) {
    Settings s("/prog");
    s.setSwfPath("/a/");
    s.setFormat(PictureFormat::Bmp);
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 7), "/a/clip.swf_0007.bmp");
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 12345), "/a/clip.swf_12345.bmp");
    s.setFormat(PictureFormat::Avi);
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 1), "/a/clip.swf_0001.jpg");
    s.setFormat(PictureFormat::Jpg);
    s.setOutputNameMode(OutputNameMode::Define);
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 27), "/a/output-file-name_0027.jpg");
    s.setOutputName("/out/shot");
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 7), "/out/shot_0007.jpg");
    s.setOutputName("rel/shot");
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 7), "rel/shot_0007.jpg");
    s.setOutputName("c:shot");
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 7), "c:shot_0007.jpg");
    s.setOutputName("shot");
    EXPECT_EQ(frameFileName(s, "/a/clip.swf", 7), "/a/shot_0007.jpg");
    EXPECT_TRUE(namesFolder("a\\b"));
    EXPECT_FALSE(namesFolder("frames"));
    EXPECT_EQ(folderOf("/m/a b.swf"), "/m/");
    EXPECT_EQ(folderOf("a.swf"), "");
    EXPECT_EQ(fileTitle("/m/a b.swf"), "a b.swf");
}
