#pragma once
// The ID3 version 2 tag at the start of an MP3 file: its text frames (T***) and comments (COMM),
// with their texts as UTF-8, in the order the file has them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelmora::player {

struct Id3Frame {
    std::string id;    // four characters: "TIT2", "COMM"...
    std::string text;  // a comment's text without its language and description
};

struct Id3Tag {
    std::vector<Id3Frame> frames;
    size_t size = 0;  // bytes the tag takes at the start of the file
};

// Nothing when the bytes don't start with an ID3v2 tag (versions 2.3 and 2.4 are read; a 2.2 tag
// is skipped with no frames). Frames cut short by the tag's end are dropped.
std::optional<Id3Tag> readId3Tag(std::span<const uint8_t> bytes);

}  // namespace kelmora::player
