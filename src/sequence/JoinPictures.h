#pragma once
// Joins picture files into an AVI file without a window: the write behind kelmora-join and the
// window's command. Pictures must share the first one's size and bit depth.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sequence/Compressor.h"
#include "util/Result.h"

namespace kelmora {

struct JoinRequest {
    std::vector<std::string> pictures;
    std::string output;
    int rate = 12;  // 1 to 99
    CompressorChoice compressor;
};

// Called after each frame with the count written so far.
using JoinProgress = std::function<void(int64_t written, int64_t total)>;

// The message names the picture that stopped it.
Status joinPictures(const JoinRequest& request, const JoinProgress& progress = {});

}  // namespace kelmora
