#pragma once
// Writes one video stream into an AVI file through FFmpeg, in the order the picture window asks
// for it: open the file, create the stream, choose the compressor, set the format from the first
// picture's bitmap-info block, then one pixel block per frame. Errors come back as values; after
// the first one every later call fails too. Past 1 GiB FFmpeg goes on in the OpenDML form.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "sequence/Compressor.h"
#include "util/Result.h"

namespace kelmora {

class AviWriter {
public:
    AviWriter();
    ~AviWriter();  // closes an open file
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Creates or truncates the file.
    Status open(const std::string& path);
    // Frames per second (1 to 99 from the window) and the first picture's size.
    Status createStream(int rate, int32_t width, int32_t height);
    Status setCompressor(const CompressorChoice& choice);
    // The first picture's bitmap-info block; every frame must have this layout.
    Status setFormat(std::span<const uint8_t> bitmapInfo);
    // One picture's pixel block as a key frame (for the uncompressed form) at the next position.
    // Pictures of up to 8 bits may bring their own bitmap-info block: a colour table that
    // differs from the first picture's is used for this frame on (the file marks the change).
    Status writeFrame(std::span<const uint8_t> pixels, std::span<const uint8_t> bitmapInfo = {});
    // Drains the encoder and writes the index. After an error the file is cut back to the last
    // whole frame, so it stays readable. Releases everything; safe to call twice.
    Status close();

    int64_t framesWritten() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace kelmora
