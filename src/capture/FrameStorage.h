#pragma once
// Writes the captured picture as a numbered BMP or JPEG file. The files are written under a
// temporary name and renamed, so no frame file is ever half-written under its final name.
#include <string>

#include "image/DIBSection.h"
#include "settings/Settings.h"
#include "util/MessageSink.h"

namespace kelmora::capture {

enum class StoreOutcome { Written, OutsideRange, Failed };

struct StoreResult {
    StoreOutcome outcome = StoreOutcome::Written;
    std::string fileName;
    std::string failureText;  // the message for Failed
};

// Frame k (1-based) lies within the frame range, or no range is set.
bool frameInRange(const Settings& settings, int k);

class FrameStorage {
public:
    FrameStorage(Settings& settings, MessageSink& messages) : settings_(settings), messages_(messages) {}

    // The capture buffer that grabScreen fills; one for the whole run.
    cDIBSection& picture() { return picture_; }

    // Stores frame k of the movie; the caller stops the conversion on Failed and shows failureText.
    StoreResult storeFrame(int k, const std::string& moviePath);

private:
    Settings& settings_;
    MessageSink& messages_;
    cDIBSection picture_;
};

}  // namespace kelmora::capture
