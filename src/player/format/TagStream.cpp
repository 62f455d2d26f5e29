#include "player/format/TagStream.h"

namespace kelmora::player {

bool TagStream::next(Tag& tag) {
    if (ended_) return false;
    size_t left = bytes_.size() - pos_;
    if (left == 0) { ended_ = true; return false; }
    if (left < 2) { ended_ = truncated_ = true; return false; }
    uint16_t codeAndLength = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    size_t header = 2;
    size_t length = codeAndLength & 0x3f;
    if (length == 0x3f) {
        if (left < 6) { ended_ = truncated_ = true; return false; }
        length = size_t(bytes_[pos_ + 2]) | size_t(bytes_[pos_ + 3]) << 8 | size_t(bytes_[pos_ + 4]) << 16 |
                 size_t(bytes_[pos_ + 5]) << 24;
        header = 6;
    }
    if (length > left - header) { ended_ = truncated_ = true; return false; }
    tag.code = codeAndLength >> 6;
    tag.offset = pos_;
    tag.body = bytes_.subspan(pos_ + header, length);
    pos_ += header + length;
    if (tag.code == 0) { ended_ = endTag_ = true; return false; }
    return true;
}

}  // namespace kelmora::player
