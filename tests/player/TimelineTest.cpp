// Timelines and the display list: placing, moving, removing, sprites that run on their own,
// gotoFrame's net changes and rewinding, stop() in a frame, and the caps on hostile nesting.
#include <gtest/gtest.h>

#include "EngineTestMovies.h"
#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/format/MovieDef.h"

using namespace kelmora::player;
using namespace kelmora::player::testing;

namespace {

std::unique_ptr<Stage> stageOf(const MovieBytes& bytes) {
    auto movie = MovieDef::load(bytes);
    EXPECT_TRUE(movie.ok()) << (movie.ok() ? "" : movie.error().message);
    if (!movie) return nullptr;
    return std::make_unique<Stage>(movie.value());
}

// "depth:characterId" for each child, in depth order.
std::string listOf(const MovieClip& clip) {
    std::string s;
    for (const auto& [depth, child] : clip.children()) {
        if (!s.empty()) s += ' ';
        s += std::to_string(depth) + ":" + std::to_string(child->characterId());
    }
    return s;
}

const MovieClip* childClip(const MovieClip& clip, int depth) {
    auto it = clip.children().find(depth);
    return it == clip.children().end() ? nullptr : it->second->asMovieClip();
}

Place placeOf(uint16_t depth, int id) {
    Place p;
    p.depth = depth;
    p.characterId = id;
    return p;
}

}  // namespace

TEST(TimelineTest, PlaceMoveRemoveAcrossFrames) {
    Place moved;
    moved.depth = 1;
    moved.move = true;
    moved.hasMatrix = true;
    moved.tx = 200;
    Place replaced = placeOf(2, 11);
    replaced.move = true;
    auto bytes = movie({defineSprite(10, 1, {showFrame()}), defineSprite(11, 1, {showFrame()}),
                        placeObject2(placeOf(1, 10)), placeObject2(placeOf(2, 10)), showFrame(),
                        placeObject2(moved), placeObject2(replaced), showFrame(),
                        removeObject2(1), showFrame()},
                       100, 80, 3);
    auto stage = stageOf(bytes);
    ASSERT_TRUE(stage);
    MovieClip& root = stage->root();
    EXPECT_EQ(root.totalFrames(), 3u);
    EXPECT_EQ(listOf(root), "1:10 2:10");
    stage->advance();
    EXPECT_EQ(root.currentFrame(), 1u);
    EXPECT_EQ(listOf(root), "1:10 2:11");
    EXPECT_EQ(root.children().at(1)->matrix.tx, 200);
    stage->advance();
    EXPECT_EQ(listOf(root), "2:11");
    // The end loops back to frame 1 with its placements.
    stage->advance();
    EXPECT_EQ(root.currentFrame(), 0u);
    EXPECT_EQ(listOf(root), "1:10 2:10");
    EXPECT_EQ(root.children().at(1)->matrix.tx, 0);
}

TEST(TimelineTest, SpritesRunOnTheirOwnAndStartAtFrameOneWhenPlaced) {
    // Sprite 10 has three frames and places sprite 11 at depth 1 on its second frame.
    auto bytes = movie({defineSprite(11, 1, {showFrame()}),
                        defineSprite(10, 3, {showFrame(), placeObject2(placeOf(1, 11)), showFrame(), showFrame()}),
                        placeObject2(placeOf(1, 10)), showFrame(), showFrame()},
                       100, 80, 2);
    auto stage = stageOf(bytes);
    ASSERT_TRUE(stage);
    MovieClip& root = stage->root();
    const MovieClip* sprite = childClip(root, 1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->currentFrame(), 0u);
    EXPECT_EQ(listOf(*sprite), "");
    stage->advance();  // root to frame 1 (nothing changes there); the sprite runs on
    sprite = childClip(root, 1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->currentFrame(), 1u);
    EXPECT_EQ(listOf(*sprite), "1:11");
    stage->advance();  // root loops to frame 0: the same sprite at the same depth stays
    sprite = childClip(root, 1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->currentFrame(), 2u);
    stage->advance();
    EXPECT_EQ(childClip(root, 1)->currentFrame(), 0u);  // the sprite looped too
    EXPECT_EQ(listOf(*childClip(root, 1)), "");
}

TEST(TimelineTest, GotoAppliesNetChangesAndRewindKeepsSameCharacterAtSameDepth) {
    Place moved;
    moved.depth = 1;
    moved.move = true;
    moved.hasMatrix = true;
    moved.tx = 40;
    auto bytes = movie({defineSprite(10, 2, {showFrame(), showFrame()}), defineSprite(11, 1, {showFrame()}),
                        placeObject2(placeOf(1, 10)), showFrame(),
                        placeObject2(placeOf(2, 11)), showFrame(),
                        removeObject2(2), placeObject2(moved), showFrame(),
                        placeObject2(placeOf(3, 11)), showFrame()},
                       100, 80, 4);
    auto stage = stageOf(bytes);
    ASSERT_TRUE(stage);
    MovieClip& root = stage->root();
    const DisplayObject* first = root.children().at(1).get();
    root.gotoFrame(3);
    EXPECT_EQ(listOf(root), "1:10 3:11");
    EXPECT_EQ(root.children().at(1).get(), first);  // moved, not re-created
    EXPECT_EQ(root.children().at(1)->matrix.tx, 40);
    stage->advance();  // the sprite at depth 1 runs on to its frame 1
    EXPECT_EQ(childClip(root, 1)->currentFrame(), 1u);
    root.gotoFrame(1);  // back: replayed from frame 1
    EXPECT_EQ(listOf(root), "1:10 2:11");
    EXPECT_EQ(root.children().at(1).get(), first);       // kept (same character, same depth)
    EXPECT_EQ(root.children().at(1)->matrix.tx, 0);      // with frame 2's properties
    EXPECT_EQ(childClip(root, 1)->currentFrame(), 1u);   // and its own timeline position
    root.gotoFrame(99);  // past the end: the last frame
    EXPECT_EQ(root.currentFrame(), 3u);
}

TEST(TimelineTest, StopInAFrameHoldsThatFrame) {
    auto bytes = movie({showFrame(), showFrame(), doAction({0x07, 0x00}), showFrame()}, 100, 80, 3);
    Player player;
    ASSERT_TRUE(player.load(bytes).ok());
    EXPECT_TRUE(player.isPlaying());
    for (int i = 0; i < 5; ++i) player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_FALSE(player.isPlaying());
    player.rewind();
    EXPECT_EQ(player.currentFrame(), 0);
    player.play();
    player.advance();
    EXPECT_EQ(player.currentFrame(), 1);
    // A stop behind a branch is left to the script engine.
    EXPECT_FALSE(actionsStopUnconditionally(std::vector<uint8_t>{0x9d, 0x02, 0x00, 0x01, 0x00, 0x07, 0x00}));
    EXPECT_TRUE(actionsStopUnconditionally(std::vector<uint8_t>{0x96, 0x02, 0x00, 0x08, 0x00, 0x07, 0x00}));
}

TEST(TimelineTest, HostileNestingIsCapped) {
    // A sprite that places itself, and a chain of 10,000 sprites each placing the one before.
    std::vector<std::vector<uint8_t>> tags = {defineSprite(1, 1, {placeObject2(placeOf(1, 1)), placeObject2(placeOf(2, 1)), showFrame()})};
    for (uint16_t id = 2; id <= 10000; ++id)
        tags.push_back(defineSprite(id, 1, {placeObject2(placeOf(1, id - 1)), showFrame()}));
    tags.push_back(placeObject2(placeOf(1, 10000)));
    tags.push_back(showFrame());
    auto stage = stageOf(movie(tags));
    ASSERT_TRUE(stage);
    EXPECT_LE(stage->context().instanceCount(), kMaxInstances);
    const MovieClip* clip = &stage->root();
    int depth = 0;
    while ((clip = childClip(*clip, 1))) ++depth;
    EXPECT_LE(depth, kMaxNesting);
    stage->advance();
    PixelBuffer picture(20, 16);
    stage->render(picture, {255, 255, 255, 255});
    EXPECT_EQ(picture.pixel(0, 0), 0xffffffffu);
}

TEST(TimelineTest, BrokenMoviesPlayWhatWasRead) {
    auto good = movie({defineSprite(10, 1, {showFrame()}), placeObject2(placeOf(1, 10)), showFrame(),
                       placeObject2(placeOf(2, 10)), showFrame()},
                      100, 80, 2);
    // Cut inside the second frame: the first frame stays.
    for (size_t cut : {good.size() - 3, good.size() - 8}) {
        MovieBytes bytes(good.begin(), good.begin() + static_cast<long>(cut));
        auto m = MovieDef::load(bytes);
        ASSERT_TRUE(m.ok());
        EXPECT_GE(m.value()->timeline().frameCount(), 1u);
        EXPECT_NE(m.value()->character(10), nullptr);
    }
    // A tag claiming 2 GB ends the movie there.
    auto lying = movie({defineSprite(10, 1, {showFrame()}), placeObject2(placeOf(1, 10)), showFrame()});
    std::vector<uint8_t> bigTag = {0xff, 0x0f, 0xff, 0xff, 0xff, 0x7f};  // code 63, length 0x7fffffff
    lying.insert(lying.end() - 2, bigTag.begin(), bigTag.end());
    auto m = MovieDef::load(lying);
    ASSERT_TRUE(m.ok());
    EXPECT_TRUE(m.value()->truncated());
    EXPECT_EQ(m.value()->timeline().frameCount(), 1u);
    // Not a movie, an empty file, a header cut short.
    EXPECT_FALSE(MovieDef::load(std::vector<uint8_t>{}).ok());
    EXPECT_FALSE(MovieDef::load(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}).ok());
    EXPECT_FALSE(MovieDef::load(std::vector<uint8_t>{'F', 'W', 'S', 8, 20, 0, 0, 0, 0x78}).ok());
    // Duplicate ids: the first definition wins.
    auto dup = movie({defineSprite(10, 2, {showFrame(), showFrame()}), defineSprite(10, 1, {showFrame()}), showFrame()});
    auto d = MovieDef::load(dup);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(static_cast<const SpriteDef*>(d.value()->character(10))->timeline.frameCount(), 2u);
    EXPECT_FALSE(d.value()->warnings().empty());
}
