#include "swf/SwfHeader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "swf/BinaryString.h"
#include "swf/Decompress.h"
#include "util/TextNumber.h"

namespace kelmora::swf {

namespace {

constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagSetBackgroundColor = 9;

// Substring by 0-based start and length that yields "" or less instead of running past the end.
std::string_view cut(std::string_view s, size_t start, size_t length) {
    if (start >= s.size()) return {};
    return s.substr(start, length);
}

int16_t twipsToPixels(uint64_t twips) {
    return toInt16Saturated(roundHalfEven(static_cast<double>(twips) / 20.0));
}

struct Rgb {
    uint8_t r, g, b;
};

// The movie's SetBackgroundColor tag, looked for among the tags that fit in `movie` from `pos`.
// Movies of version 8 and later begin with a FileAttributes tag, so the colour is rarely the
// first tag's body. Without the tag the player shows white.
Rgb findBackgroundColour(std::span<const uint8_t> movie, size_t pos) {
    while (movie.size() - pos >= 2) {
        uint16_t codeAndLength = static_cast<uint16_t>(movie[pos] | movie[pos + 1] << 8);
        pos += 2;
        uint16_t code = codeAndLength >> 6;
        size_t length = codeAndLength & 0x3F;
        if (length == 0x3F) {
            if (movie.size() - pos < 4) break;
            length = uint32_t(movie[pos]) | uint32_t(movie[pos + 1]) << 8 | uint32_t(movie[pos + 2]) << 16 |
                     uint32_t(movie[pos + 3]) << 24;
            pos += 4;
        }
        if (code == kTagEnd) break;
        if (code == kTagSetBackgroundColor) {
            if (length < 3 || movie.size() - pos < 3) break;
            return {movie[pos], movie[pos + 1], movie[pos + 2]};
        }
        if (length > movie.size() - pos) break;
        pos += length;
    }
    return {0xFF, 0xFF, 0xFF};
}

// The header fields of an uncompressed movie; nothing when the bytes end before the frame count.
std::optional<MovieInfo> parseHeader(std::span<const uint8_t> movie) {
    if (movie.size() < 9) return std::nullopt;
    MovieInfo info;
    info.version = movie[3];
    info.fileLength = uint32_t(movie[4]) | uint32_t(movie[5]) << 8 | uint32_t(movie[6]) << 16 | uint32_t(movie[7]) << 24;
    info.frameSizeBits = movie[8] >> 3;
    const size_t nbits = info.frameSizeBits;
    const size_t k = (nbits + 1) / 2;  // rectangle bytes after offset 8
    if (movie.size() < 13 + k) return std::nullopt;

    // The three low bits of the first rectangle byte are not read: "000" stands for them.
    std::string digits = "000";
    for (size_t i = 0; i < k; ++i) digits += toBinaryString(movie[9 + i]);
    info.widthPx = twipsToPixels(fromBinaryString(cut(digits, nbits, nbits)));
    info.heightPx = twipsToPixels(fromBinaryString(cut(digits, 3 * nbits, nbits)));

    info.movieFrameRate = movie[10 + k];  // the fraction byte before it is skipped
    info.frameCount = static_cast<uint16_t>(movie[11 + k] | movie[12 + k] << 8);
    Rgb colour = findBackgroundColour(movie, 13 + k);
    info.backgroundRed = colour.r;
    info.backgroundGreen = colour.g;
    info.backgroundBlue = colour.b;
    return info;
}

std::string threeDigits(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03u", v);
    return buf;
}

}  // namespace

HeaderDecode decodeSwfHeader(std::span<const uint8_t> fileStart) {
    if (fileStart.size() > kHeaderReadBytes) fileStart = fileStart.first(kHeaderReadBytes);
    if (fileStart.empty()) return {HeaderPath::NotSwf, {}};
    const uint8_t first = fileStart[0];
    if (first == 'F') {
        if (fileStart.size() < 3 || fileStart[1] != 'W' || fileStart[2] != 'S') return {HeaderPath::NotSwf, {}};
        auto info = parseHeader(fileStart);
        if (!info) return {HeaderPath::NotSwf, {}};
        return {HeaderPath::Read, *info};
    }
    // Any "C" counts as compressed, as it always has; "ZWS" (LZMA) came later and needs all three.
    const bool lzma = first == 'Z' && hasSwfSignature(fileStart);
    if (first != 'C' && !lzma) return {HeaderPath::NotSwf, {}};
    auto movie = decompressMoviePrefix(fileStart, kHeaderReadBytes);
    if (!movie) return {HeaderPath::Compressed, {}};
    auto info = parseHeader(*movie);
    if (!info) return {HeaderPath::Compressed, {}};
    info->compressed = true;
    return {HeaderPath::Read, *info};
}

HeaderReadResult readSwfHeader(std::span<const uint8_t> fileStart, bool infoOnly, bool dontShowPropertiesDialog,
                               HeaderReadState& state, MessageSink& messages) {
    HeaderDecode decoded = decodeSwfHeader(fileStart);
    HeaderReadResult result{decoded.path, decoded.info, false};
    switch (decoded.path) {
    case HeaderPath::Read:
        if (!infoOnly && decoded.info.frameCount < 5 && state.fewFramesWarningArmed) {
            messages.show({"",
                           std::string("This movie has less than 5 frames in its main timeline.") + kCrLf +
                               "It seems that you have to make a 'container movie' to convert this one." + kCrLf +
                               "(See Extras menu!)" + kCrLf + kCrLf + "Click [OK] to continue..",
                           MessageIcon::Information});
            state.fewFramesWarningArmed = false;
        }
        break;
    case HeaderPath::Compressed:
        // Already marked unreadable (the container command's read-backs): pass over silently.
        if (!state.movieUnreadable) {
            messages.show({"",
                           std::string("This is a compressed Shockwave/Flash file.") + kCrLf +
                               kProgramTitle + " can't read file properties.",
                           MessageIcon::Information});
            result.showPropertiesDialog = !dontShowPropertiesDialog;
        }
        state.movieUnreadable = true;
        break;
    case HeaderPath::NotSwf:
        messages.show({"", kNotSwfText, MessageIcon::Warning});
        break;
    }
    return result;
}

Result<HeaderReadResult> readSwfHeaderFile(const std::string& path, bool infoOnly, bool dontShowPropertiesDialog,
                                           HeaderReadState& state, MessageSink& messages) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return makeError("cannot open " + path + ": " + std::strerror(errno), errno);
    std::vector<uint8_t> bytes(kHeaderReadBytes);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file);
    const int readErrno = errno;
    std::fclose(file);
    if (failed) return makeError("cannot read " + path + ": " + std::strerror(readErrno), readErrno);
    bytes.resize(got);
    return readSwfHeader(bytes, infoOnly, dontShowPropertiesDialog, state, messages);
}

MovieInfoTexts movieInfoTexts(const MovieInfo& info) {
    MovieInfoTexts t;
    t.version = std::to_string(info.version);
    t.size = std::to_string(info.fileLength);
    t.width = std::to_string(info.widthPx);
    t.height = std::to_string(info.heightPx);
    t.frameRate = std::to_string(info.movieFrameRate);
    t.frameCount = std::to_string(info.frameCount);
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", info.backgroundRed, info.backgroundGreen, info.backgroundBlue);
    t.bgColor = hex;
    t.fileInfo = " File Info [#" + t.bgColor + ", " + threeDigits(info.backgroundRed) + " " +
                 threeDigits(info.backgroundGreen) + " " + threeDigits(info.backgroundBlue) + "] ";
    return t;
}

MoviePropertiesPrefill prefillFromMovie(const MovieInfo& info, const std::string& fileTitle) {
    MovieInfoTexts t = movieInfoTexts(info);
    MoviePropertiesPrefill p;
    p.version = t.version;
    p.width = t.width;
    p.height = t.height;
    p.frameRate = "1";
    p.movieFileName = fileTitle;
    p.setColour = true;
    p.red = info.backgroundRed;
    p.green = info.backgroundGreen;
    p.blue = info.backgroundBlue;
    return p;
}

MoviePropertiesPrefill prefillForManualEntry(const std::string& fileTitle) {
    MoviePropertiesPrefill p;
    p.version = "6";
    p.width = "?";
    p.height = "?";
    p.frameRate = "1";
    p.frameCount = "?";
    p.frameCountSet = true;
    p.makeHatched = true;
    p.movieFileName = fileTitle;
    return p;
}

}  // namespace kelmora::swf
