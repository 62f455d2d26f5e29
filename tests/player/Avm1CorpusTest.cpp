// Plays the corpus's ActionScript movies in the player and compares their trace output with the
// reference player's; the ones listed in avm1-passing.txt must keep passing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "Avm1FakeHost.h"
#include "player/Player.h"
#include "player/format/BitReader.h"
#include "swf/Decompress.h"

namespace kelmora::player::avm1 {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct CorpusCase {
    std::string id;
    int frames = 1;
};

// index.json is flat: pick "id", "frames", "trace" and "content" of each case by hand.
std::vector<CorpusCase> readIndex(const fs::path& index) {
    std::string text = readFile(index);
    std::vector<CorpusCase> out;
    size_t pos = 0;
    while ((pos = text.find('{', pos)) != std::string::npos) {
        // The case's closing brace (image lists hold objects of their own).
        size_t end = pos + 1;
        for (int depth = 1; end < text.size() && depth > 0; ++end) {
            if (text[end] == '{') ++depth;
            if (text[end] == '}') --depth;
        }
        if (end >= text.size()) break;
        std::string obj = text.substr(pos, end - pos);
        pos = end;
        auto field = [&](const std::string& key) -> std::string {
            size_t k = obj.find("\"" + key + "\":");
            if (k == std::string::npos) return {};
            k += key.size() + 3;
            while (k < obj.size() && obj[k] == ' ') ++k;
            size_t e = k;
            if (obj[k] == '"') {
                e = obj.find('"', k + 1);
                return obj.substr(k + 1, e - k - 1);
            }
            while (e < obj.size() && obj[e] != ',' && obj[e] != '}') ++e;
            return obj.substr(k, e - k);
        };
        if (field("content") != "avm1" || field("trace") != "true") continue;
        CorpusCase c;
        c.id = field("id");
        c.frames = std::max(1, std::atoi(field("frames").c_str()));
        out.push_back(c);
    }
    return out;
}

// The root timeline's action lists, frame by frame (DoInitAction before DoAction).
bool loadFrames(const std::vector<uint8_t>& movie, testing::FakeHost& host, int& version) {
    if (movie.size() < 12) return false;
    version = movie[3];
    BitReader r(std::span<const uint8_t>(movie).subspan(8));
    r.rect();
    r.u16();
    r.u16();
    std::vector<std::vector<uint8_t>> init, actions;
    while (!r.atEnd() && !r.failed()) {
        uint16_t head = r.u16();
        uint32_t code = head >> 6, len = head & 0x3F;
        if (len == 0x3F) len = r.u32();
        auto body = r.take(len);
        if (r.failed()) break;
        if (code == 0) break;
        if (code == 12) actions.emplace_back(body.begin(), body.end());
        if (code == 59 && body.size() >= 2) init.emplace_back(body.begin() + 2, body.end());
        if (code == 1) {
            auto& frame = host.frameScripts.emplace_back(std::move(init));
            frame.insert(frame.end(), actions.begin(), actions.end());
            init.clear();
            actions.clear();
        }
    }
    if (!init.empty() || !actions.empty() || host.frameScripts.empty()) {
        auto& frame = host.frameScripts.emplace_back(std::move(init));
        frame.insert(frame.end(), actions.begin(), actions.end());
    }
    return true;
}

std::string normalise(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out.push_back(c);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// The movie played by the player for the case's frames, scripts, display list and all.
bool runCase(const fs::path& dir, const CorpusCase& c) {
    std::string lines;
    Player player;
    player.setTraceSink([&](const std::string& line) { lines += line + "\n"; });
    if (!player.load((dir / "test.swf").string())) return false;
    for (int f = 1; f < c.frames; ++f) player.advance();
    bool same = normalise(lines) == normalise(readFile(dir / "output.txt"));
    if (const char* dump = std::getenv("KELMORA_AVM1_DUMP"); dump && !same) {
        fs::path out = fs::path(dump) / c.id;
        fs::create_directories(out.parent_path());
        std::ofstream(out.string() + ".txt") << lines;
    }
    return same;
}

TEST(Avm1CorpusTest, TracesOfListedMoviesMatchTheReference) {
    const char* corpus = std::getenv("KELMORA_CORPUS");
    if (!corpus || !fs::exists(fs::path(corpus) / "index.json")) GTEST_SKIP() << "no corpus";
    const char* source = std::getenv("KELMORA_SOURCE_DIR");
    fs::path listFile = fs::path(source ? source : ".") / "tests/player/avm1-passing.txt";
    std::set<std::string> listed;
    {
        std::ifstream f(listFile);
        for (std::string line; std::getline(f, line);)
            if (!line.empty()) listed.insert(line);
    }
    std::vector<CorpusCase> cases = readIndex(fs::path(corpus) / "index.json");
    // Only the listed movies are played, unless a new list is asked for (every movie then).
    const char* out = std::getenv("KELMORA_AVM1_PASSING_OUT");
    std::set<std::string> passing;
    for (const auto& c : cases)
        if ((out || listed.count(c.id)) && runCase(fs::path(corpus) / c.id, c)) passing.insert(c.id);
    for (const auto& id : listed) EXPECT_TRUE(passing.count(id)) << id << " no longer matches its reference trace";
    std::printf("avm1 corpus: %zu of %zu traced movies match (%s)\n", passing.size(), cases.size(),
                out ? "all played" : "listed ones played");
    if (out) {
        std::ofstream f(out);
        for (const auto& id : passing) f << id << "\n";
    }
}

}  // namespace
}  // namespace kelmora::player::avm1

namespace kelmora::player::avm1 {
namespace {
// Prints our trace of one case next to the reference (KELMORA_AVM1_CASE=avm1/add).
TEST(Avm1CorpusTest, ShowOneCase) {
    const char* corpus = std::getenv("KELMORA_CORPUS");
    const char* id = std::getenv("KELMORA_AVM1_CASE");
    if (!corpus || !id) GTEST_SKIP();
    fs::path dir = fs::path(corpus) / id;
    std::string file = readFile(dir / "test.swf");
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    auto movie = swf::decompressMovie(bytes);
    ASSERT_TRUE(movie.ok());
    testing::FakeHost host;
    int version = 0;
    loadFrames(*movie, host, version);
    Interpreter in(host, version);
    host.in = &in;
    host.swfVersion = version;
    const char* frames = std::getenv("KELMORA_AVM1_FRAMES");
    host.play(frames ? std::atoi(frames) : 1);
    std::ofstream(std::string("/tmp/avm1-ours.txt")) << host.output();
    for (auto& e : host.errors) std::printf("error: %s\n", e.c_str());
}
}  // namespace
}  // namespace kelmora::player::avm1
