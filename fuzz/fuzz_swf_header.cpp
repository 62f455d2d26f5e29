// Feeds arbitrary bytes to the header reader and to the movie decompressor.
#include <cstddef>
#include <cstdint>
#include <span>

#include "swf/Decompress.h"
#include "swf/SwfHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    kelmora::SilentMessageSink sink;
    kelmora::swf::HeaderReadState state;
    auto result = kelmora::swf::readSwfHeader(bytes, false, false, state, sink);
    if (result.path == kelmora::swf::HeaderPath::Read) (void)kelmora::swf::movieInfoTexts(result.info);
    // A small limit keeps bombs cheap; the limit logic is what is being exercised.
    auto movie = kelmora::swf::decompressMovie(bytes, 1u << 20);
    (void)movie;
    return 0;
}
