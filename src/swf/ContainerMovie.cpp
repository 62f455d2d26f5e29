#include "swf/ContainerMovie.h"

#include <array>
#include <filesystem>

#include "swf/AtomicFile.h"
#include "swf/BinaryString.h"
#include "util/TextNumber.h"

namespace kelmora::swf {

namespace {

// DoAction (long form) with its length, then GetURL with its length; [2] and [7] depend on the name.
constexpr std::array<uint8_t, 9> kLoadActionHead = {0x3F, 0x03, 0x00, 0x00, 0x00, 0x00, 0x83, 0x0D, 0x00};

// ".swf" and the end of the GetURL address, the target "_level1", the end of the actions, the
// "loadMovie" frame label, a two-frame sprite that stops all sounds, and its placement.
constexpr std::array<uint8_t, 73> kConstantBlock = {
    0x2E, 0x73, 0x77, 0x66, 0x00,                                // .swf
    0x5F, 0x6C, 0x65, 0x76, 0x65, 0x6C, 0x31, 0x00,              // _level1
    0x00,                                                        // end of actions
    0xFF, 0x0A, 0x0A, 0x00, 0x00, 0x00,                          // FrameLabel, 10 bytes
    0x6C, 0x6F, 0x61, 0x64, 0x4D, 0x6F, 0x76, 0x69, 0x65, 0x00,  // loadMovie
    0xFF, 0x09, 0x1A, 0x00, 0x00, 0x00,                          // DefineSprite, 26 bytes
    0x01, 0x00, 0x02, 0x00,                                      // id 1, 2 frames
    0x3F, 0x03, 0x02, 0x00, 0x00, 0x00, 0x09, 0x00,              // DoAction: StopSounds
    0x40, 0x00,                                                  // ShowFrame
    0x3F, 0x03, 0x02, 0x00, 0x00, 0x00, 0x09, 0x00,              // DoAction: StopSounds
    0x40, 0x00,                                                  // ShowFrame
    0x00, 0x00,                                                  // End of the sprite
    0x89, 0x06, 0x06, 0x01, 0x00, 0x01, 0x00,                    // PlaceObject2: depth 1, id 1
    0x14, 0xB2, 0xD5, 0x20,                                      // matrix: translate (357, -343) twips
};

constexpr int kMaxSidePx = 1638;
constexpr size_t kMinName = 4;
constexpr size_t kMaxName = 242;  // n + 13 must fit the one length byte

// Bytes written at an explicit write position that may also move back.
class PositionedWriter {
public:
    void put(uint8_t b) {
        if (pos_ < bytes_.size()) bytes_[pos_] = b;
        else bytes_.push_back(b);
        ++pos_;
    }
    void seek(size_t pos) {
        if (pos > bytes_.size()) bytes_.resize(pos, 0);
        pos_ = pos;
    }
    void back() { --pos_; }
    size_t pos() const { return pos_; }
    std::vector<uint8_t> finish() {
        bytes_.resize(std::max(bytes_.size(), pos_));
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

Status checkRange(const char* what, int value, int low, int high) {
    if (value < low || value > high) {
        return makeError(std::string(what) + " " + std::to_string(value) + " is outside " + std::to_string(low) +
                         " to " + std::to_string(high));
    }
    return Status::success();
}

Status checkArgs(const ContainerMovieArgs& a) {
    if (a.signature.size() != 3) return makeError("the signature must have three characters, not \"" + a.signature + "\"");
    const struct {
        const char* what;
        int value, low, high;
    } ranges[] = {
        {"version", a.version, 0, 255},        {"width", a.widthPx, 0, kMaxSidePx},
        {"height", a.heightPx, 0, kMaxSidePx}, {"frame rate", a.frameRate, 0, 255},
        {"frame count", a.frameCount, 0, 32767}, {"red", a.red, 0, 255},
        {"green", a.green, 0, 255},            {"blue", a.blue, 0, 255},
    };
    for (const auto& r : ranges) {
        if (Status s = checkRange(r.what, r.value, r.low, r.high); !s) return s;
    }
    const size_t n = a.movieFileName.size();
    if (n < kMinName || n > kMaxName) {
        return makeError("the movie file name must have 4 to 242 characters, not " + std::to_string(n));
    }
    if (toLower(a.movieFileName.substr(n - 4)) != ".swf") {
        return makeError("the movie file name must end in .swf: " + a.movieFileName);
    }
    return Status::success();
}

// The rectangle as 72 digits: Nbits, then Xmin 0, Xmax W, Ymin 0, Ymax H in N-bit fields. Each
// field's leading zero is the last character of the part before it.
std::string rectangleDigits(int widthTwips, int heightTwips, int& nbits) {
    const int larger = std::max(widthTwips, heightTwips);
    const int n = static_cast<int>(toBinaryString(static_cast<int16_t>(larger)).size()) + 1;
    nbits = n;
    auto field = [n](int twips) {
        std::string s = toBinaryString(static_cast<int16_t>(twips)) + "0";
        if (static_cast<int>(s.size()) < n) s.insert(0, n - s.size(), '0');
        return s;
    };
    std::string digits = toBinaryString(static_cast<int16_t>(n)).substr(3);  // the last five digits
    digits += "0";
    digits += std::string(n, '0');
    digits += field(widthTwips);
    digits += std::string(n, '0');
    digits += field(heightTwips);
    digits.resize(72, '0');
    return digits;
}

}  // namespace

Result<ContainerBytes> buildContainerSwf(const ContainerMovieArgs& a) {
    if (Status s = checkArgs(a); !s) return s.error();
    PositionedWriter w;
    for (char c : a.signature) w.put(static_cast<uint8_t>(c));
    w.put(static_cast<uint8_t>(a.version));
    w.put(0);
    w.seek(8);

    int n = 0;
    ContainerBytes out;
    out.rectangleDigits = rectangleDigits(a.widthPx * 20, a.heightPx * 20, n);
    uint8_t rect[9];
    for (int i = 0; i < 9; ++i) {
        rect[i] = static_cast<uint8_t>(fromBinaryString(std::string_view(out.rectangleDigits).substr(8 * i, 8)));
        w.put(rect[i]);
    }

    // The rectangle is a fixed 9 bytes; these moves put the frame rate where readers look for
    // it for the usual sizes (and the container command tries the adjustments for the rest).
    const uint8_t eighth = rect[7];
    if (n == 12) w.back();
    else if (n == 14 && eighth != 0x00 && eighth != 0x40 && eighth != 0x80) w.put(0);
    else if (n == 15) w.put(0);
    if (a.adjustment == 1) w.put(0);
    else if (a.adjustment == -1) w.back();

    w.put(static_cast<uint8_t>(a.frameRate));
    w.put(static_cast<uint8_t>(a.frameCount & 0xFF));
    w.put(static_cast<uint8_t>((a.frameCount & 0xFF00) / 256));

    for (uint8_t b : {uint8_t{0x43}, uint8_t{0x02}, uint8_t(a.red), uint8_t(a.green), uint8_t(a.blue)}) w.put(b);

    const size_t nameLength = a.movieFileName.size();
    auto head = kLoadActionHead;
    head[2] = static_cast<uint8_t>(nameLength + 13);
    head[7] = static_cast<uint8_t>(nameLength + 9);
    for (uint8_t b : head) w.put(b);
    for (size_t i = 0; i + 4 < nameLength; ++i) w.put(static_cast<uint8_t>(a.movieFileName[i]));
    auto block = kConstantBlock;
    // File names are case-sensitive here: the address ends as the name does (".swf" normally).
    for (size_t i = 0; i < 4; ++i) block[i] = static_cast<uint8_t>(a.movieFileName[nameLength - 4 + i]);
    for (uint8_t b : block) w.put(b);

    for (int i = 0; i < a.frameCount; ++i) {
        w.put(0x40);
        w.put(0x00);
    }
    w.put(0x00);
    w.put(0x00);

    const uint32_t size = static_cast<uint32_t>(w.pos());
    w.seek(4);
    for (int i = 0; i < 4; ++i) w.put(static_cast<uint8_t>(size >> (8 * i)));
    w.seek(size);
    out.bytes = w.finish();
    return out;
}

Result<bool> writeContainerSwf(const std::string& path, const ContainerMovieArgs& args, bool overwriteSilently,
                               MessageSink& messages, Clipboard& clipboard) {
    auto built = buildContainerSwf(args);
    if (!built) return built.error();
    std::error_code ec;
    if (!overwriteSilently && std::filesystem::exists(path, ec)) {
        MessageAnswer answer = messages.show({path, "File already exists. Overwrite?", MessageIcon::Question,
                                              MessageButtons::YesNo});
        if (answer != MessageAnswer::Yes) return false;
    }
    clipboard.setText(built->rectangleDigits);
    // The old file is replaced in one step rather than deleted first, so a failed write keeps it.
    if (Status s = writeFileAtomically(path, built->bytes); !s) return s.error();
    return true;
}

}  // namespace kelmora::swf
