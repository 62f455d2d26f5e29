#include "player/media/Id3Tags.h"

#include <algorithm>

namespace kelmora::player {

namespace {

constexpr size_t kMaxFrames = 4096;

uint32_t syncSafe(std::span<const uint8_t> b) {
    return (uint32_t(b[0] & 0x7F) << 21) | (uint32_t(b[1] & 0x7F) << 14) | (uint32_t(b[2] & 0x7F) << 7) | (b[3] & 0x7F);
}

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// One string of the encoding (0 Latin-1, 1 UTF-16 with a byte order mark, 2 UTF-16 big-endian,
// 3 UTF-8) up to its terminator; `used` gets the bytes read, terminator included.
std::string readString(std::span<const uint8_t> b, uint8_t encoding, size_t& used) {
    std::string out;
    if (encoding == 1 || encoding == 2) {
        bool bigEndian = encoding == 2;
        size_t i = 0;
        if (encoding == 1 && b.size() >= 2) {
            if (b[0] == 0xFF && b[1] == 0xFE) bigEndian = false, i = 2;
            else if (b[0] == 0xFE && b[1] == 0xFF) bigEndian = true, i = 2;
        }
        for (; i + 1 < b.size(); i += 2) {
            uint32_t u = bigEndian ? (uint32_t(b[i]) << 8 | b[i + 1]) : (uint32_t(b[i + 1]) << 8 | b[i]);
            if (u == 0) {
                i += 2;
                break;
            }
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
                uint32_t lo = bigEndian ? (uint32_t(b[i + 2]) << 8 | b[i + 3]) : (uint32_t(b[i + 3]) << 8 | b[i + 2]);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                    i += 2;
                    continue;
                }
            }
            appendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
        }
        used = std::min(i, b.size());
        return out;
    }
    size_t i = 0;
    for (; i < b.size() && b[i] != 0; ++i) {
        if (encoding == 3) out.push_back(static_cast<char>(b[i]));
        else appendUtf8(out, b[i]);
    }
    used = std::min(i + 1, b.size());
    return out;
}

}  // namespace

std::optional<Id3Tag> readId3Tag(std::span<const uint8_t> bytes) {
    if (bytes.size() < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') return std::nullopt;
    const uint8_t version = bytes[3];
    const uint8_t flags = bytes[5];
    Id3Tag tag;
    const size_t body = syncSafe(bytes.subspan(6, 4));
    tag.size = 10 + body + ((version >= 4 && (flags & 0x10)) ? 10 : 0);
    if (version < 3 || version > 4) return tag;
    std::span<const uint8_t> frames = bytes.subspan(10, std::min(body, bytes.size() - 10));
    size_t pos = 0;
    // An extended header comes before the frames.
    if ((flags & 0x40) && frames.size() >= 4) {
        const size_t ext = version == 4 ? syncSafe(frames.subspan(0, 4)) : size_t(frames[0]) << 24 | size_t(frames[1]) << 16 |
                                                                               size_t(frames[2]) << 8 | size_t(frames[3]);
        pos = version == 4 ? ext : ext + 4;
    }
    while (pos + 10 <= frames.size() && tag.frames.size() < kMaxFrames) {
        std::span<const uint8_t> head = frames.subspan(pos, 10);
        if (head[0] == 0) break;  // padding
        const size_t size = version == 4 ? syncSafe(head.subspan(4, 4))
                                         : size_t(head[4]) << 24 | size_t(head[5]) << 16 | size_t(head[6]) << 8 | head[7];
        if (size > frames.size() - pos - 10) break;
        std::span<const uint8_t> data = frames.subspan(pos + 10, size);
        pos += 10 + size;
        std::string id(reinterpret_cast<const char*>(head.data()), 4);
        const bool compressedOrEncrypted = version == 4 ? (head[9] & 0x0C) : (head[9] & 0xC0);
        if (data.empty() || compressedOrEncrypted) continue;
        const uint8_t encoding = data[0];
        size_t used = 0;
        if (id[0] == 'T' && id != "TXXX") {
            tag.frames.push_back({id, readString(data.subspan(1), encoding, used)});
        } else if (id == "COMM" && data.size() >= 4) {
            std::span<const uint8_t> rest = data.subspan(4);  // after the language
            readString(rest, encoding, used);                 // the description
            tag.frames.push_back({id, readString(rest.subspan(used), encoding, used)});
        }
    }
    return tag;
}

}  // namespace kelmora::player
