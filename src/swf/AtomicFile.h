#pragma once
// Replacing a file all at once: the bytes go to a temporary file in the same folder, which is then
// renamed over the target, so a crash or a full disk never leaves a half-written file behind.
#include <cstdint>
#include <span>
#include <string>

#include "util/Result.h"

namespace kelmora {

// On failure the Error carries the errno value as its code and a description naming the step;
// the old file, if any, is left as it was and no temporary file remains.
Status writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace kelmora
