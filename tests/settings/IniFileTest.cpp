#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "swf/RecordingSink.h"
#include "swf/Seeds.h"

using namespace kelmora;
using kelmora::test::RecordingSink;
namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() : path_(fs::temp_directory_path() / ("kelmora-ini-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Loaded {
    Loaded() : settings("/opt/kelmora") {}
    Settings settings;
    RecordingSink sink;
};

// loadIniText over a settings record whose swfPath is already the program folder.
std::unique_ptr<Loaded> load(const std::string& text) {
    auto l = std::make_unique<Loaded>();
    loadIniText(l->settings, text, l->sink);
    return l;
}

const char* kUnknown = "Unknown parameter found in kelmora.ini file.";

}  // namespace

TEST(IniFile, FirstRunWithoutAFile) {
    TempFolder dir;
    Settings s("/opt/kelmora");
    s.setSwfPath("/somewhere/else/");
    RecordingSink sink;
    loadIni(s, dir.file("kelmora.ini"), sink);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].title, "loadIni");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(sink.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(sink.shown[0].text.rfind("Error #2\r\n", 0), 0u) << sink.shown[0].text;
    EXPECT_EQ(s.swfPath(), "/opt/kelmora");  // set before the file is opened
    EXPECT_EQ(s.quality(), "100");

    writeIni(s, dir.file("kelmora.ini"), sink);
    EXPECT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(readText(dir.file("kelmora.ini")),
              "swfPath=/opt/kelmora\r\nformat=jpg\r\nquality=100\r\nprecapture=0\r\nstartframe=1\r\n"
              "stopframe=25\r\naviPath=\r\nframerate=12\r\n");
}

TEST(IniFile, LinesAsTheyComeIn) {
    auto l = load("Quality=150\r\n");
    EXPECT_EQ(l->settings.quality(), "100");
    EXPECT_EQ(l->settings.qualityScrollPosition(), 0);
    EXPECT_EQ(load("quality=-5")->settings.quality(), "0");
    EXPECT_EQ(load("QUALITY=80")->settings.quality(), "80");
    EXPECT_EQ(load("QUALITY=80")->settings.qualityScrollPosition(), 20);
    // The dialog cuts 7.9 to 7, then the scroll bar goes to 92 (100 - 7.9, rounded) and sets 8.
    EXPECT_EQ(load("quality=7.9")->settings.quality(), "8");

    l = load("FORMAT=BMP\nformat=png\n");
    EXPECT_EQ(l->settings.format(), PictureFormat::Bmp);
    EXPECT_FALSE(l->settings.qualityControlsEnabled());
    EXPECT_TRUE(l->sink.shown.empty());
    EXPECT_EQ(load("format=avi")->settings.format(), PictureFormat::Avi);

    // Paths keep their case (Linux file names are case-sensitive); other values are lower-cased.
    l = load("swfPath=/home/Ann/Movies/\r\nAVIPATH=/home/Ann/AVI/\r\nstartframe=ABC\r\nframerate=12FPS\r\nstopFrame=X9\r\n");
    EXPECT_EQ(l->settings.swfPath(), "/home/Ann/Movies/");
    EXPECT_EQ(l->settings.aviPath(), "/home/Ann/AVI/");
    EXPECT_EQ(l->settings.startFrame(), "abc");
    EXPECT_EQ(l->settings.frameRate(), "12fps");
    EXPECT_EQ(l->settings.stopFrame(), "x9");
    EXPECT_TRUE(l->sink.shown.empty());

    EXPECT_EQ(load("swfpath=/a=b/")->settings.swfPath(), "/a=b/");  // only the first "=" separates
    EXPECT_EQ(load("stopframe=1\nstopframe=2")->settings.stopFrame(), "2");  // the last one wins

    l = load("precapture=1");
    EXPECT_EQ(l->settings.preCapture(), kChecked);
    EXPECT_EQ(load("precapture=2")->settings.preCapture(), kGrayed);
}

TEST(IniFile, UnknownLinesAreReportedAndReadingGoesOn) {
    auto l = load("format=bmp\r\n\r\nHello World\r\nColour=Red\r\nstopframe=7\r\n");
    ASSERT_EQ(l->sink.shown.size(), 3u);
    EXPECT_EQ(l->sink.shown[0].title, "");  // the empty line
    EXPECT_EQ(l->sink.shown[1].title, "");  // a line without "="
    EXPECT_EQ(l->sink.shown[2].title, "colour=");
    for (const Message& m : l->sink.shown) {
        EXPECT_EQ(m.text, kUnknown);
        EXPECT_EQ(m.icon, MessageIcon::Information);
    }
    EXPECT_EQ(l->settings.stopFrame(), "7");
}

TEST(IniFile, AValueThatDoesNotConvertEndsTheReading) {
    for (const char* text : {"format=bmp\r\nquality=abc\r\nstopframe=7\r\n", "format=bmp\nprecapture=7\nstopframe=7\n",
                             "format=bmp\nquality=\nstopframe=7\n", "format=bmp\nprecapture=x\nstopframe=7\n"}) {
        auto l = load(text);
        ASSERT_EQ(l->sink.shown.size(), 1u) << text;
        EXPECT_EQ(l->sink.shown[0].title, "loadIni");
        EXPECT_EQ(l->sink.shown[0].text.rfind("Error #22\r\n", 0), 0u) << l->sink.shown[0].text;
        EXPECT_EQ(l->settings.format(), PictureFormat::Bmp);  // earlier lines stay applied
        EXPECT_EQ(l->settings.stopFrame(), "25");             // later ones are not read
        EXPECT_EQ(l->settings.preCapture(), kUnchecked);
    }
}

TEST(IniFile, CrLfAndLfReadAlike) {
    const std::string lines[] = {"swfPath=/m/", "format=bmp", "quality=75", "precapture=1", "startframe=3",
                                 "stopframe=9", "aviPath=/a/", "framerate=25"};
    std::string crlf, lf;
    for (const std::string& l : lines) {
        crlf += l + "\r\n";
        lf += l + "\n";
    }
    std::string noLastBreak = lf.substr(0, lf.size() - 1);
    for (const std::string& text : {crlf, lf, noLastBreak}) {
        auto l = load(text);
        EXPECT_TRUE(l->sink.shown.empty());
        EXPECT_EQ(iniText(l->settings), crlf);
    }
    kelmora::test::writeSeed("fuzz_settings", "full.ini", crlf);
    kelmora::test::writeSeed("fuzz_settings", "lf-unknown.ini", "QUALITY=7.9\nFORMAT=AVI\n\nodd line\nx=y\n");
}

TEST(IniFile, WriteAndReadAgainRestoresTheStoredFields) {
    TempFolder dir;
    const std::string path = dir.file("kelmora.ini");
    RecordingSink sink;
    {
        Settings s("/opt/kelmora");
        s.setSwfPath("/home/Ann/Movies/");
        s.setFormat(PictureFormat::Bmp);
        s.setQuality(" 42 ");
        s.setPreCapture(kGrayed);
        s.setStartFrame("Ten");
        s.setStopFrame("20");
        s.setAviPath("/home/Ann/Out/");
        s.setFrameRate("30");
        s.setUseFrameRange(kChecked);
        s.setOutputNameMode(OutputNameMode::Define);
        s.setOutputName("frames");
        writeIni(s, path, sink);
    }
    EXPECT_TRUE(fs::is_regular_file(path));
    Settings r("/opt/kelmora");
    loadIni(r, path, sink);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(r.swfPath(), "/home/Ann/Movies/");
    EXPECT_EQ(r.format(), PictureFormat::Bmp);
    EXPECT_EQ(r.quality(), "42");
    EXPECT_EQ(r.preCapture(), kGrayed);
    EXPECT_EQ(r.startFrame(), "ten");
    EXPECT_EQ(r.stopFrame(), "20");
    EXPECT_EQ(r.aviPath(), "/home/Ann/Out/");
    EXPECT_EQ(r.frameRate(), "30");
    EXPECT_EQ(r.useFrameRange(), kUnchecked);
    EXPECT_EQ(r.outputNameMode(), OutputNameMode::DeriveFromSource);
    EXPECT_EQ(r.outputName(), "output-file-name");

    // An empty quality is written as it is and stops the next reading at its line.
    r.setQuality("   ");
    writeIni(r, path, sink);
    EXPECT_NE(readText(path).find("\r\nquality=\r\n"), std::string::npos);
    Settings again("/opt/kelmora");
    loadIni(again, path, sink);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].title, "loadIni");
    EXPECT_EQ(again.format(), PictureFormat::Bmp);
    EXPECT_EQ(again.startFrame(), "1");
}

TEST(IniFile, AFailedWriteKeepsTheOldFile) {
    TempFolder dir;
    Settings s("/opt/kelmora");
    // A folder that does not exist, and a folder where the file should be.
    fs::create_directories(dir.path() / "kelmora.ini");
    for (const std::string& path : {dir.file("missing/kelmora.ini"), dir.file("kelmora.ini")}) {
        RecordingSink sink;
        writeIni(s, path, sink);
        ASSERT_EQ(sink.shown.size(), 1u) << path;
        EXPECT_EQ(sink.shown[0].title, "writeIni");
        EXPECT_EQ(sink.shown[0].icon, MessageIcon::None);
        EXPECT_EQ(sink.shown[0].text.rfind("Error #", 0), 0u);
        EXPECT_NE(sink.shown[0].text.find("\r\n"), std::string::npos);
    }
    // An existing good file whose temporary neighbour cannot be made (its name would be too long):
    // the write fails and the old file stays as it was.
    const std::string longName = dir.file(std::string(250, 'k'));
    writeText(longName, "swfPath=/old/\r\n");
    RecordingSink sink;
    writeIni(s, longName, sink);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text.rfind("Error #36\r\n", 0), 0u) << sink.shown[0].text;  // ENAMETOOLONG
    EXPECT_EQ(readText(longName), "swfPath=/old/\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // no leftovers
}

TEST(IniFile, UnreadableFilesEndTheReading) {
    TempFolder dir;
    fs::create_directories(dir.path() / "folder.ini");
    writeText(dir.file("huge.ini"), std::string(2u << 20, 'x'));
    for (const char* name : {"folder.ini", "huge.ini"}) {
        Settings s("/opt/kelmora");
        RecordingSink sink;
        loadIni(s, dir.file(name), sink);
        ASSERT_EQ(sink.shown.size(), 1u) << name;
        EXPECT_EQ(sink.shown[0].title, "loadIni");
        EXPECT_EQ(s.quality(), "100");
    }
}

TEST(IniFile, WhereTheFileLives) {
    TempFolder dir;
    const std::string program = dir.file("program");
    fs::create_directories(program);
    // A writable program folder: portable.
    EXPECT_EQ(settingsFilePath(program, "/xdg", "/home/ann"), program + "/kelmora.ini");
    // A program folder that cannot be written (here: one that does not exist) goes to the user's folder.
    const std::string gone = dir.file("gone");
    EXPECT_EQ(settingsFilePath(gone, "/xdg", "/home/ann"), "/xdg/kelmora/kelmora.ini");
    EXPECT_EQ(settingsFilePath(gone, "relative/xdg", "/home/ann"), "/home/ann/.config/kelmora/kelmora.ini");
    EXPECT_EQ(settingsFilePath(gone, "", "/home/ann"), "/home/ann/.config/kelmora/kelmora.ini");
    EXPECT_EQ(settingsFilePath(gone, nullptr, "/home/ann"), "/home/ann/.config/kelmora/kelmora.ini");
    // A file named like the folder, in its place: not a folder to write in.
    writeText(dir.file("notafolder"), "");
    EXPECT_EQ(settingsFilePath(dir.file("notafolder"), "/xdg", "/h"), "/xdg/kelmora/kelmora.ini");
}
