// Folders of movies: several at once, a broken one among them, and the progress lines.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "sequence/convert/BatchConverter.h"
#include "sequence/convert/ConvertTestMovies.h"
#include "sequence/convert/ConvertTestSupport.h"
#include "sequence/convert/ProgressReport.h"

namespace kelmora::convert {
namespace {

using testing::ScratchFolder;

std::vector<std::string> readLines(std::FILE* f) {
    std::rewind(f);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, f)) {
        std::string line = buffer;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(BatchConverter, OneBrokenMovieInAFolderFailsAloneAndIsReported) {
    ScratchFolder dir;
    std::filesystem::create_directories(dir.file("in"));
    for (int i : {1, 2, 3}) testing::writeMovie(testing::slidingSquareMovie(4 + i), dir.file("in/good" + std::to_string(i) + ".swf"));
    // Only the first bytes of a movie: no header to read.
    swf::Bytes broken = testing::slidingSquareMovie(5).bytes();
    broken.resize(5);
    testing::writeFile(dir.file("in/broken.SWF"), broken);
    testing::writeFile(dir.file("in/notes.txt"), {'x'});

    auto movies = gatherMovies({dir.file("in")});
    ASSERT_TRUE(movies);
    ASSERT_EQ(movies->size(), 4u);  // the .txt is not a movie; any case of .swf is
    EXPECT_EQ(std::filesystem::path((*movies)[0]).filename(), "broken.SWF");
    EXPECT_FALSE(gatherMovies({dir.file("missing")}));

    ConvertOptions o;
    o.outPattern = dir.file("out/{name}_%03d.bmp");
    o.jobs = 2;
    std::filesystem::create_directories(dir.file("out"));
    ASSERT_TRUE(checkOptions(o, movies->size()));
    std::FILE* log = std::tmpfile();
    JsonProgress json(log, std::chrono::milliseconds(0));
    BatchResult batch = convertMovies(*movies, o, &json);
    ASSERT_EQ(batch.movies.size(), 4u);
    EXPECT_FALSE(batch.allOk());
    EXPECT_FALSE(batch.movies[0].ok);
    EXPECT_FALSE(batch.movies[0].reason.empty());
    for (int i : {1, 2, 3}) {
        const MovieResult& m = batch.movies[size_t(i)];
        EXPECT_TRUE(m.ok) << m.moviePath << ": " << m.reason;
        EXPECT_EQ(m.framesWritten, 4 + i);
        EXPECT_TRUE(std::filesystem::exists(dir.file("out/good" + std::to_string(i) + "_00" + std::to_string(4 + i) + ".bmp")));
    }

    // Every line is one JSON object of the same shape; each movie ends with one done or failed line.
    // {"movie":"…","state":"running|done|failed","frames":N,"total":N,"elapsed":N.NN[,"error":"…"]}
    auto shaped = [](const std::string& line) {
        size_t at = 0;
        auto expect = [&](const std::string& text) {
            if (line.compare(at, text.size(), text) != 0) return false;
            at += text.size();
            return true;
        };
        auto digits = [&] {
            const size_t from = at;
            while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) ++at;
            return at > from;
        };
        if (!expect("{\"movie\":\"")) return false;
        at = line.find("\",\"state\":\"", at);
        if (at == std::string::npos || !expect("\",\"state\":\"")) return false;
        if (!expect("running\"") && !expect("done\"") && !expect("failed\"")) return false;
        if (!expect(",\"frames\":") || !digits() || !expect(",\"total\":") || !digits()) return false;
        if (!expect(",\"elapsed\":") || !digits() || !expect(".") || !digits()) return false;
        if (expect("}")) return at == line.size();
        return expect(",\"error\":\"") && line.size() >= at + 2 && line.compare(line.size() - 2, 2, "\"}") == 0;
    };
    EXPECT_FALSE(shaped(R"({"movie":"m","state":"odd","frames":1,"total":1,"elapsed":0.10})"));
    std::map<std::string, int> endings;
    for (const std::string& line : readLines(log)) {
        EXPECT_TRUE(shaped(line)) << line;
        if (line.find("\"state\":\"running\"") == std::string::npos) ++endings[line.substr(0, line.find("\",\"state"))];
        if (line.find("broken.SWF") != std::string::npos && line.find("running") == std::string::npos) {
            EXPECT_NE(line.find("\"state\":\"failed\",\"frames\":0"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(endings.size(), 4u);
    for (auto& [movie, n] : endings) EXPECT_EQ(n, 1) << movie;
    std::fclose(log);

    // Names that would collide are refused before anything runs.
    o.outPattern = dir.file("out/f_%d.bmp");
    EXPECT_FALSE(checkOptions(o, 2));
    EXPECT_TRUE(checkOptions(o, 1));
    o.transparent = true;
    o.outPattern = "a%d.png";
    EXPECT_TRUE(checkOptions(o, 1));
    o.outPattern = "a%d.jpg";
    EXPECT_FALSE(checkOptions(o, 1));  // no alpha in a JPEG
    o = {};
    o.videoPath = "v.gif";
    EXPECT_FALSE(checkOptions(o, 1));
    o.videoPath = "v.webm";
    o.videoCodec = "h264";
    EXPECT_FALSE(checkOptions(o, 1));
}

TEST(BatchConverter, ProgressLinesComeOncePerIntervalAndEscapeNames) {
    EXPECT_EQ(progressLine("a \"b\"\\c.swf", "running", {3, 10, 1.234}),
              R"({"movie":"a \"b\"\\c.swf","state":"running","frames":3,"total":10,"elapsed":1.23})");
    EXPECT_EQ(progressLine("x.swf", "failed", {0, 0, 0}, "bad\nthing"),
              R"({"movie":"x.swf","state":"failed","frames":0,"total":0,"elapsed":0.00,"error":"bad\nthing"})");

    std::FILE* log = std::tmpfile();
    JsonProgress json(log, std::chrono::hours(1));
    for (int i = 0; i < 50; ++i) json.update("m.swf", {i, 50, 0.1 * i});
    MovieResult done;
    done.moviePath = "m.swf";
    done.ok = true;
    done.framesWritten = 50;
    json.finished(done);
    const auto lines = readLines(log);
    ASSERT_EQ(lines.size(), 1u);  // no second passed: only the last word
    EXPECT_NE(lines[0].find("\"state\":\"done\",\"frames\":50"), std::string::npos);
    std::fclose(log);
}

}  // namespace
}  // namespace kelmora::convert
