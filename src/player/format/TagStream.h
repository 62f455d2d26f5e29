#pragma once
// Splits a tag sequence into (code, body) pairs. Each body is bounded by its own length, so a bad
// tag never throws the next one out of step; a tag whose length runs past the end stops the stream.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelmora::player {

struct Tag {
    uint16_t code = 0;
    std::span<const uint8_t> body;
    size_t offset = 0;  // of the tag's header within the stream's bytes
};

class TagStream {
public:
    explicit TagStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // False at the End tag, at the end of the bytes, or at a tag that claims more bytes than remain.
    bool next(Tag& tag);
    // True when the stream stopped at a tag whose header or length ran past the end.
    bool truncated() const { return truncated_; }
    size_t position() const { return pos_; }
    // True when the stream ended at an End tag.
    bool sawEndTag() const { return endTag_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool truncated_ = false;
    bool ended_ = false;
    bool endTag_ = false;
};

}  // namespace kelmora::player
