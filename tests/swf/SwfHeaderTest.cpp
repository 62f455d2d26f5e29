#include "swf/SwfHeader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "swf/MovieWindowSizing.h"
#include "swf/RecordingSink.h"
#include "swf/Seeds.h"
#include "swf/SwfBytes.h"

using namespace kelmora;
using namespace kelmora::swf;
using namespace kelmora::swf::test;
using kelmora::test::RecordingSink;

namespace {
const std::string kFewFrames =
    "This movie has less than 5 frames in its main timeline.\r\n"
    "It seems that you have to make a 'container movie' to convert this one.\r\n"
    "(See Extras menu!)\r\n\r\nClick [OK] to continue..";
const std::string kCompressedText = "This is a compressed Shockwave/Flash file.\r\nkelmora can't read file properties.";
}  // namespace

TEST(SwfHeader, DecodesFieldsAtTheOffsetsNbitsGives) {
    struct Case {
        unsigned nbits;
        uint32_t xmax, ymax;
        size_t k;
        int16_t width, height;
    };
    const Case cases[] = {
        {15, 11000, 8000, 8, 550, 400},  // the usual 550 x 400 movie
        {16, 11000, 8000, 8, 550, 400},
        {15, 11010, 11030, 8, 550, 552},  // halves to even: 550.5 -> 550, 551.5 -> 552
        {1, 0, 0, 1, 0, 0},
        {0, 0, 0, 0, 0, 0},
        {31, 20000, 700000000, 16, 1000, 32767},  // beyond 16 bits: saturated, the sizing refuses it
    };
    for (const Case& c : cases) {
        MovieFields fields;
        fields.nbits = c.nbits;
        fields.xmaxTwips = c.xmax;
        fields.ymaxTwips = c.ymax;
        fields.rateFraction = 0x80;  // 12.5 fps: the fraction is dropped
        fields.rate = 12;
        fields.frames = 0x0102;
        Bytes file = plainSwf(fields);
        ASSERT_EQ(file[10 + c.k], 12) << c.nbits;  // the builder agrees with the offsets
        HeaderDecode d = decodeSwfHeader(file);
        ASSERT_EQ(d.path, HeaderPath::Read) << c.nbits;
        EXPECT_EQ(d.info.frameSizeBits, c.nbits);
        EXPECT_EQ(d.info.widthPx, c.width) << c.nbits;
        EXPECT_EQ(d.info.heightPx, c.height) << c.nbits;
        EXPECT_EQ(d.info.movieFrameRate, 12);
        EXPECT_EQ(d.info.frameCount, 0x0102);
        EXPECT_EQ(d.info.version, 10);
        EXPECT_EQ(d.info.fileLength, file.size());
        EXPECT_EQ(d.info.backgroundRed, 0x11);
        EXPECT_EQ(d.info.backgroundBlue, 0x33);
        EXPECT_FALSE(d.info.compressed);
    }
    // The 550 x 400 movie byte by byte: rate at 18, count at 19-20, colour at 23-25.
    Bytes file = plainSwf(MovieFields{});
    EXPECT_EQ(file[18], 24);
    EXPECT_EQ(file[19], 100);
    EXPECT_EQ(file[23], 0x11);
    EXPECT_EQ(file[25], 0x33);
    kelmora::test::writeSeed("fuzz_swf_header", "plain-550x400.swf", file);
}

TEST(SwfHeader, FindsTheBackgroundColourBehindOtherTags) {
    MovieFields fields;
    // FileAttributes (code 69, 4 bytes) first, as in every movie of version 8 and later, then the
    // colour in the long tag form.
    fields.tags = {0x44, 0x11, 0x08, 0, 0, 0, 0x7F, 0x02, 3, 0, 0, 0, 0x00, 0x0A, 0xFF, 0x40, 0x00, 0x00, 0x00};
    HeaderDecode d = decodeSwfHeader(plainSwf(fields));
    ASSERT_EQ(d.path, HeaderPath::Read);
    EXPECT_EQ(movieInfoTexts(d.info).fileInfo, " File Info [#000AFF, 000 010 255] ");
    EXPECT_EQ(movieInfoTexts(d.info).bgColor, "000AFF");

    // No colour tag at all, or one cut off: Flash's white.
    for (Bytes tags : {Bytes{0x40, 0x00, 0x00, 0x00}, Bytes{}, Bytes{0x43, 0x02, 0x01}, Bytes{0x7F, 0x02, 0xFF, 0xFF}}) {
        fields.tags = tags;
        d = decodeSwfHeader(plainSwf(fields));
        ASSERT_EQ(d.path, HeaderPath::Read) << tags.size();
        EXPECT_EQ(movieInfoTexts(d.info).bgColor, "FFFFFF") << tags.size();
    }
}

TEST(SwfHeader, TextsOfTheLabels) {
    MovieInfo info;
    info.version = 6;
    info.fileLength = 4000000000u;
    info.widthPx = 550;
    info.heightPx = 400;
    info.movieFrameRate = 12;
    info.frameCount = 40000;  // read unsigned: long movies keep their count
    info.backgroundGreen = 0xCC;
    info.backgroundBlue = 0x33;
    MovieInfoTexts t = movieInfoTexts(info);
    EXPECT_EQ(t.version, "6");
    EXPECT_EQ(t.size, "4000000000");
    EXPECT_EQ(t.width, "550");
    EXPECT_EQ(t.height, "400");
    EXPECT_EQ(t.frameRate, "12");
    EXPECT_EQ(t.frameCount, "40000");
    EXPECT_EQ(t.fileInfo, " File Info [#00CC33, 000 204 051] ");
    EXPECT_EQ(t.bgColor, "00CC33");

    MoviePropertiesPrefill read = prefillFromMovie(info, "movie.swf");
    EXPECT_EQ(read.version, "6");
    EXPECT_EQ(read.width, "550");
    EXPECT_EQ(read.frameRate, "1");
    EXPECT_FALSE(read.frameCountSet);
    EXPECT_TRUE(read.setColour);
    EXPECT_FALSE(read.makeHatched);
    MoviePropertiesPrefill manual = prefillForManualEntry("movie.swf");
    EXPECT_EQ(manual.width + manual.height + manual.frameCount + manual.frameRate + manual.version, "???16");
    EXPECT_TRUE(manual.makeHatched);
}

TEST(SwfHeader, CompressedMoviesAreReadLikePlainOnes) {
    Bytes plain = plainSwf(MovieFields{});
    HeaderDecode expected = decodeSwfHeader(plain);
    for (const Bytes& file : {zlibMovie(plain), lzmaMovie(plain)}) {
        HeaderDecode d = decodeSwfHeader(file);
        ASSERT_EQ(d.path, HeaderPath::Read) << char(file[0]);
        EXPECT_TRUE(d.info.compressed);
        d.info.compressed = false;
        EXPECT_EQ(d.info, expected.info);
        kelmora::test::writeSeed("fuzz_swf_header", std::string(1, char(file[0])) + "-550x400.swf", file);
    }
}

TEST(SwfHeader, FewFramesWarningOncePerRunAndNeverForInfo) {
    MovieFields fields;
    fields.frames = 3;
    Bytes file = plainSwf(fields);
    HeaderReadState state;
    RecordingSink sink;
    readSwfHeader(file, true, false, state, sink);  // info only: never
    EXPECT_TRUE(sink.shown.empty());
    readSwfHeader(file, false, false, state, sink);
    readSwfHeader(file, false, false, state, sink);  // disarmed now
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, kFewFrames);
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(sink.shown[0].title, "");
    EXPECT_FALSE(state.fewFramesWarningArmed);

    HeaderReadState fresh;
    fields.frames = 5;
    readSwfHeader(plainSwf(fields), false, false, fresh, sink);
    EXPECT_EQ(sink.shown.size(), 1u);
    EXPECT_TRUE(fresh.fewFramesWarningArmed);
}

TEST(SwfHeader, NotASwfAndShortFiles) {
    Bytes good = plainSwf(MovieFields{});
    // A plain file cut anywhere before the end of the frame count is not a valid movie; the reader
    // never looks past the bytes it has.
    const size_t headerEnd = 13 + 8;
    for (size_t n = 0; n <= good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + n);
        HeaderDecode d = decodeSwfHeader(cut);
        EXPECT_EQ(d.path, n < headerEnd ? HeaderPath::NotSwf : HeaderPath::Read) << n;
    }
    for (Bytes file : {Bytes{'F', 'W', 'X', 6}, Bytes{'F', 'X', 'S', 6}, Bytes{'G', 'W', 'S'}, Bytes{'Z', 'W', 'X', 1},
                       Bytes{'f', 'w', 's', 6}}) {
        HeaderReadState state;
        state.movieUnreadable = true;
        RecordingSink sink;
        HeaderReadResult r = readSwfHeader(file, false, false, state, sink);
        EXPECT_EQ(r.path, HeaderPath::NotSwf);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, "This is not a valid Shockwave/Flash file!");
        EXPECT_EQ(sink.shown[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(state.movieUnreadable);  // left as it was
    }
}

TEST(SwfHeader, UndecompressableMoviesTakeTheCompressedPath) {
    Bytes plain = plainSwf(MovieFields{});
    Bytes damaged = zlibMovie(plain);
    damaged.resize(10);  // the zlib stream ends after its two header bytes
    Bytes lzmaHeaderOnly = lzmaMovie(plain);
    lzmaHeaderOnly.resize(17);
    Bytes shortMovie(plain.begin(), plain.begin() + 15);  // decompresses, but ends inside the header
    const std::vector<Bytes> files = {damaged, {'C', 'W', 'S', 6, 0, 0, 0, 0, 1, 2, 3}, {'C', 'X', 'Y'}, {'C'},
                                      lzmaHeaderOnly, zlibMovie(shortMovie)};
    for (const Bytes& file : files) {
        HeaderReadState state;
        RecordingSink sink;
        HeaderReadResult r = readSwfHeader(file, true, false, state, sink);
        EXPECT_EQ(r.path, HeaderPath::Compressed) << file.size();
        EXPECT_TRUE(r.showPropertiesDialog);
        EXPECT_TRUE(state.movieUnreadable);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, kCompressedText);
        EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);

        // Again while still marked unreadable: nothing shown, no dialog.
        r = readSwfHeader(file, true, false, state, sink);
        EXPECT_FALSE(r.showPropertiesDialog);
        EXPECT_EQ(sink.shown.size(), 1u);

        HeaderReadState quiet;
        r = readSwfHeader(file, true, true, quiet, sink);  // the message, but no dialog
        EXPECT_FALSE(r.showPropertiesDialog);
        EXPECT_TRUE(quiet.movieUnreadable);
    }
}

TEST(SwfHeader, ReadsFilesAndReportsMissingOnes) {
    auto dir = std::filesystem::temp_directory_path() / "kelmora-swf-header-test";
    std::filesystem::create_directories(dir);
    Bytes plain = plainSwf(MovieFields{});
    plain.resize(200000, 0);  // longer than what the reader looks at
    {
        std::ofstream out(dir / "m.swf", std::ios::binary);
        out.write(reinterpret_cast<const char*>(plain.data()), static_cast<std::streamsize>(plain.size()));
    }
    HeaderReadState state;
    RecordingSink sink;
    auto r = readSwfHeaderFile((dir / "m.swf").string(), false, false, state, sink);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->info.widthPx, 550);
    EXPECT_FALSE(readSwfHeaderFile((dir / "missing.swf").string(), false, false, state, sink).ok());
    EXPECT_FALSE(readSwfHeaderFile(dir.string(), false, false, state, sink).ok());  // a folder
    EXPECT_TRUE(sink.shown.empty());
    std::filesystem::remove_all(dir);
}

TEST(MovieWindowSizing, MainWindowAndScreenVerdicts) {
    EXPECT_EQ(mainWindowOuterWidth(120, 600, false), 9150);
    EXPECT_EQ(mainWindowOuterWidth(120, 200, false), 3150);
    EXPECT_EQ(mainWindowOuterWidth(120, 200, true), 5390);
    EXPECT_EQ(mainWindowOuterHeight(800, 400, 600), 800 + 6000 + 600 + 120);
    EXPECT_EQ(screenFit(100, 100, 100, 100), ScreenFit::Fits);
    EXPECT_EQ(screenFit(101, 100, 101, 100), ScreenFit::TooLarge);
    EXPECT_EQ(screenFit(101, 100, 100, 100), ScreenFit::TooWide);
    EXPECT_EQ(screenFit(100, 100, 101, 100), ScreenFit::TooTall);
    EXPECT_EQ(screenFitMessage(ScreenFit::TooWide),
              "The width of this movie is too large for your current Screen-Resolution.\r\n\r\n"
              "Increase your Screen-Resolution and try again.");
    EXPECT_EQ(screenFitMessage(ScreenFit::Fits), "");
    EXPECT_FALSE(sideTooHigh(2184, 2184));
    EXPECT_TRUE(sideTooHigh(2185, 10));
    EXPECT_EQ(tooHighMessage(3000, 400, 1920, 1080),
              "The selected movies width and/or height is too high.\r\n\r\nwidth = \t3000\t (max 1920)\r\n"
              "height = \t400\t (max 1080)\r\n\r\nIncrease your Screen-Resolution to convert movies with high resolution.");
}
