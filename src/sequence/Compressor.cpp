#include "sequence/Compressor.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace kelmora {
namespace {

struct Known {
    const char* codec;
    const char* label;
    AVCodecID id;
    bool usesQuality;
    bool usesKeyFrames;
};

constexpr Known kKnown[] = {
    {"raw", "Full Frames (Uncompressed)", AV_CODEC_ID_NONE, false, false},
    {"mjpeg", "Motion JPEG", AV_CODEC_ID_MJPEG, true, false},
    {"ffv1", "FFV1 (lossless)", AV_CODEC_ID_FFV1, false, true},
    {"mpeg4", "MPEG-4 part 2", AV_CODEC_ID_MPEG4, true, true},
    {"h264", "H.264", AV_CODEC_ID_H264, true, true},
};

}  // namespace

std::vector<CompressorOption> availableCompressors() {
    std::vector<CompressorOption> out;
    for (const Known& k : kKnown) {
        if (k.id != AV_CODEC_ID_NONE && !avcodec_find_encoder(k.id)) continue;
        out.push_back({k.codec, k.label, k.usesQuality, k.usesKeyFrames});
    }
    return out;
}

std::optional<CompressorOption> findCompressor(const std::string& codec) {
    for (auto& option : availableCompressors()) {
        if (option.codec == codec) return option;
    }
    return std::nullopt;
}

}  // namespace kelmora
