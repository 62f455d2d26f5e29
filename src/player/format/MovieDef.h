#pragma once
// A loaded movie: its bytes, header, main timeline and character dictionary. Immutable after load;
// everything that changes while playing lives in display/.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/format/TimelineDef.h"
#include "util/Result.h"

namespace kelmora::player {

struct MovieHeader {
    char signature = 'F';  // 'F', 'C' or 'Z'
    uint8_t version = 0;
    uint32_t fileLength = 0;  // as declared
    Rect frameRect;           // twips
    double frameRate = 0;     // frames per second (8.8 in the file)
    uint16_t frameCount = 0;  // as declared

    int pixelWidth() const;
    int pixelHeight() const;
};

// An ImportAssets or ImportAssets2 tag: characters of another movie, by their export names, that
// this movie uses under ids of its own.
struct AssetImport {
    struct Asset {
        std::string name;
        uint16_t id = 0;
    };
    std::string url;  // as written, relative to this movie's folder
    std::vector<Asset> assets;
};

class MovieDef {
public:
    // file: a whole SWF file (compressed or not).
    static Result<std::shared_ptr<const MovieDef>> load(std::span<const uint8_t> file);

    const MovieHeader& header() const { return header_; }
    const TimelineDef& timeline() const { return timeline_; }
    std::optional<Rgba> backgroundColor() const { return backgroundColor_; }
    bool usesActionScript3() const { return as3_; }
    // FileAttributes' UseNetwork flag: a local movie that may reach the network, not local files.
    bool usesNetwork() const { return useNetwork_; }
    // Null when the id is not defined (or its definition could not be read).
    const Character* character(uint16_t id) const;
    std::shared_ptr<const Character> characterShared(uint16_t id) const;
    const std::unordered_map<uint16_t, std::shared_ptr<const Character>>& dictionary() const { return dictionary_; }
    // The 0-based main-timeline frame whose tags define the id (0 when unknown): the player only
    // has a character once its frame has loaded.
    uint32_t definingFrame(uint16_t id) const {
        auto it = definingFrames_.find(id);
        return it == definingFrames_.end() ? 0 : it->second;
    }
    // ExportAssets: linkage name -> character id, and the first name of each exported id.
    const std::map<std::string, uint16_t>& exports() const { return exports_; }
    const std::unordered_map<uint16_t, std::string>& exportNames() const { return exportNames_; }
    // The import tags in file order; their ids are kept out of the dictionary.
    const std::vector<AssetImport>& imports() const { return imports_; }
    // What could not be read (the movie still plays what was read).
    const std::vector<std::string>& warnings() const { return warnings_; }
    bool truncated() const { return truncated_; }
    size_t byteSize() const { return bytes_.size(); }  // decompressed, header included
    size_t fileSize() const { return fileSize_; }      // as read, compressed or not

private:
    friend class MovieLoader;
    std::vector<uint8_t> bytes_;
    size_t fileSize_ = 0;
    MovieHeader header_;
    TimelineDef timeline_;
    std::unordered_map<uint16_t, std::shared_ptr<const Character>> dictionary_;
    std::unordered_map<uint16_t, uint32_t> definingFrames_;
    std::vector<uint8_t> jpegTables_;
    std::map<std::string, uint16_t> exports_;
    std::unordered_map<uint16_t, std::string> exportNames_;
    std::vector<AssetImport> imports_;
    std::optional<Rgba> backgroundColor_;
    std::vector<std::string> warnings_;
    bool truncated_ = false;
    bool as3_ = false;
    bool useNetwork_ = false;
};

}  // namespace kelmora::player
