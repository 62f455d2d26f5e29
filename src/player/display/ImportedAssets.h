#pragma once
// Characters a movie takes from other movies (ImportAssets, ImportAssets2). Each named movie is read
// once, from the importing movie's folder, and keeps its own context: an imported character is an
// instance of its own movie, with that movie's version, dictionary, fonts and bitmaps.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelmora::player {

class MovieDef;
class PlayContext;

class ImportedAssets {
public:
    struct Source {
        PlayContext* context = nullptr;
        uint16_t id = 0;  // the character's id in its own movie
    };

    // Movies a chain of imports may pass through, and how many movie files one movie may import from.
    static constexpr size_t kMaxChain = 8;
    static constexpr size_t kMaxMovies = 16;
    // Movie files larger than this are not read.
    static constexpr uint64_t kMaxFileSize = 64u << 20;

    ImportedAssets();
    ~ImportedAssets();

    // Reads the movies `movie` imports from, relative to `folder`. chain: the files of the importing
    // movies around this one (a movie met again is a cycle and gives nothing).
    void resolve(const MovieDef& movie, const std::string& folder, const std::vector<std::string>& chain);

    // Null when the id is not imported (or its movie or export name was missing).
    const Source* find(uint16_t id) const;
    // The first imported id under this name, 0 when none.
    uint16_t idByName(const std::string& name) const;
    bool empty() const { return characters_.empty(); }

private:
    std::vector<std::unique_ptr<PlayContext>> movies_;
    std::unordered_map<uint16_t, Source> characters_;
    std::vector<std::pair<std::string, uint16_t>> names_;
};

// Whether `url` names a file we may read beside a movie: a relative path without a scheme.
bool isLocalMoviePath(const std::string& url);

}  // namespace kelmora::player
