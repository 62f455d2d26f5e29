#pragma once
// Each sound decoded once per movie: event sounds by their definition, stream sounds by the
// timeline's stream. A sound that cannot be decoded is remembered as silence with one warning.
// The decoded PCM is held within a memory budget; sounds not playing are let go first.
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "player/media/SoundDecoder.h"

namespace kelmora::player {

class SoundCache {
public:
    explicit SoundCache(size_t budgetBytes = size_t(1) << 30) : budget_(budgetBytes) {}

    // Null when the sound could not be decoded or does not fit the budget.
    std::shared_ptr<const PcmSound> eventSound(const std::shared_ptr<const SoundDef>& sound);
    std::shared_ptr<const DecodedStream> streamSound(const std::shared_ptr<const SoundStreamDef>& stream);

    size_t bytesHeld() const { return held_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    struct Entry {
        std::shared_ptr<const void> key;  // keeps the definition, and so the key's address, alive
        std::shared_ptr<const PcmSound> event;
        std::shared_ptr<const DecodedStream> stream;
        size_t bytes = 0;
        bool failed = false;
        uint64_t lastUse = 0;
    };
    Entry* find(const void* key);
    // Makes room for `bytes` by dropping decoded sounds nobody plays; false when it can't.
    bool makeRoom(size_t bytes);
    void warn(std::string text);

    std::unordered_map<const void*, Entry> entries_;
    size_t budget_;
    size_t held_ = 0;
    uint64_t clock_ = 0;
    std::vector<std::string> warnings_;
};

}  // namespace kelmora::player
