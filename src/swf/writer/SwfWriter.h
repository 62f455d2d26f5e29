#pragma once
// Writes a whole SWF movie: the header and the main timeline's tags, uncompressed ("FWS"),
// zlib-compressed ("CWS") or LZMA-compressed ("ZWS"). Including this header brings in the whole
// writer. A typical test movie:
//
//   SwfWriter movie(8);
//   movie.frameSizePixels(100, 100).frameRate(24);
//   movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF))
//       .defineShape(1, ShapeBuilder::filledRectPx(10, 10, 50, 50, Rgba::fromRgb(0xFF0000)))
//       .place(Place::add(1, 1).matrix(Matrix::translatePixels(5, 0)))
//       .doAction(ActionBuilder().push("hello").trace().end())
//       .showFrame();
//   Bytes file = movie.bytes();
//
// Writer misuse (a value that does not fit its field, a missing action label, too many
// gradient stops) throws std::logic_error or std::out_of_range: a test movie that silently
// differs from what its test asks for would be worse.
#include <cstdint>
#include <optional>
#include <string>

#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/Timeline.h"
#include "util/Result.h"

namespace kelmora::swf {

enum class Compression { None, Zlib, Lzma };

class SwfWriter : public Timeline {
public:
    // A 550 x 400 pixel movie at 12 frames per second.
    explicit SwfWriter(int swfVersion = 10);

    SwfWriter& frameSize(const Rect& twips);
    SwfWriter& frameSizePixels(double width, double height);
    // Stored as 8.8 fixed (12.5 is exact); rounded to the nearest 1/256.
    SwfWriter& frameRate(double framesPerSecond);
    SwfWriter& frameRateRaw(std::uint16_t fixed8);
    SwfWriter& compression(Compression c);
    // Header values that differ from the truth, for testing readers of broken files.
    SwfWriter& frameCountOverride(std::uint16_t frames);
    SwfWriter& fileLengthOverride(std::uint32_t length);
    // Leave off the End tag that bytes() otherwise appends.
    SwfWriter& withoutEnd();

    // The whole file; the header's file length is the uncompressed length.
    Bytes bytes() const;
    // The same movie as an uncompressed FWS file, whatever compression is set.
    Bytes uncompressedBytes() const;
    Status writeFile(const std::string& path) const;

private:
    Rect frameSize_ = Rect::fromPixels(550, 400);
    std::uint16_t frameRate_ = 12 << 8;
    Compression compression_ = Compression::None;
    std::optional<std::uint16_t> frameCount_;
    std::optional<std::uint32_t> fileLength_;
    bool appendEnd_ = true;
};

// Compression helpers, also handy for tests: zlib stream of data; raw LZMA1 stream with its
// 5 property bytes in front.
Bytes zlibCompress(std::span<const std::uint8_t> data);
Bytes lzmaCompressWithProps(std::span<const std::uint8_t> data);

}  // namespace kelmora::swf
