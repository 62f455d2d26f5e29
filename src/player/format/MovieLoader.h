#pragma once
// Reads a decompressed movie into a MovieDef: header, main timeline, sprites and the dictionary.
#include <memory>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "player/format/Characters.h"
#include "player/format/MovieDef.h"
#include "player/format/TagStream.h"
#include "player/media/VideoStream.h"

namespace kelmora::player {

class MovieLoader {
public:
    static Result<std::shared_ptr<const MovieDef>> load(std::span<const uint8_t> file);

private:
    explicit MovieLoader(MovieDef& movie) : movie_(movie) {}
    Status readHeader(BitReader& r);
    // Reads a tag sequence into a timeline; definition tags only count on the main timeline.
    void readTimeline(std::span<const uint8_t> tags, TimelineDef& timeline, uint32_t declaredFrames, bool main);
    void define(const Tag& tag);
    void defineCharacter(uint16_t id, std::shared_ptr<const Character> character, const char* what);
    void readExports(std::span<const uint8_t> body);
    void readImports(uint16_t code, std::span<const uint8_t> body, FrameDef& frame);
    void readScenes(std::span<const uint8_t> body);
    void warn(std::string text);

    MovieDef& movie_;
    std::unordered_map<uint16_t, std::shared_ptr<FontDef>> fonts_;
    std::unordered_map<uint16_t, std::shared_ptr<ButtonDef>> buttons_;
    std::unordered_map<uint16_t, std::shared_ptr<VideoStreamDef>> videos_;
    std::unordered_set<uint16_t> importedIds_;
};

}  // namespace kelmora::player
