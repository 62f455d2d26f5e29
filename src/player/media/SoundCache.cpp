#include "player/media/SoundCache.h"

namespace kelmora::player {

namespace {
constexpr size_t kMaxWarnings = 50;
}

SoundCache::Entry* SoundCache::find(const void* key) {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

void SoundCache::warn(std::string text) {
    if (warnings_.size() < kMaxWarnings) warnings_.push_back(std::move(text));
}

bool SoundCache::makeRoom(size_t bytes) {
    while (held_ + bytes > budget_) {
        Entry* oldest = nullptr;
        for (auto& [key, e] : entries_) {
            const bool idle = (e.event && e.event.use_count() == 1) || (e.stream && e.stream.use_count() == 1);
            if (idle && (!oldest || e.lastUse < oldest->lastUse)) oldest = &e;
        }
        if (!oldest) return false;
        held_ -= oldest->bytes;
        oldest->bytes = 0;
        oldest->event.reset();
        oldest->stream.reset();
    }
    return true;
}

std::shared_ptr<const PcmSound> SoundCache::eventSound(const std::shared_ptr<const SoundDef>& sound) {
    if (!sound) return nullptr;
    Entry* e = find(sound.get());
    if (e && (e->failed || e->event)) {
        e->lastUse = ++clock_;
        return e->event;
    }
    Entry& entry = entries_[sound.get()];
    entry.key = sound;
    entry.lastUse = ++clock_;
    auto decoded = decodeEventSound(*sound);
    if (!decoded) {
        entry.failed = true;
        warn("sound " + std::to_string(sound->id) + ": " + decoded.error().message);
        return nullptr;
    }
    if (decoded->cut) warn("sound " + std::to_string(sound->id) + " is too long; it is cut after 20 minutes");
    const size_t bytes = decoded->bytes();
    if (!makeRoom(bytes)) {
        entry.failed = true;
        warn("sound " + std::to_string(sound->id) + " does not fit in the memory for sounds");
        return nullptr;
    }
    entry.event = std::make_shared<const PcmSound>(std::move(decoded.value()));
    entry.bytes = bytes;
    held_ += bytes;
    return entry.event;
}

std::shared_ptr<const DecodedStream> SoundCache::streamSound(const std::shared_ptr<const SoundStreamDef>& stream) {
    if (!stream) return nullptr;
    Entry* e = find(stream.get());
    if (e && (e->failed || e->stream)) {
        e->lastUse = ++clock_;
        return e->stream;
    }
    Entry& entry = entries_[stream.get()];
    entry.key = stream;
    entry.lastUse = ++clock_;
    auto decoded = decodeStreamSound(*stream);
    if (!decoded) {
        entry.failed = true;
        warn("stream sound: " + decoded.error().message);
        return nullptr;
    }
    if (decoded->pcm.cut) warn("a stream sound is too long; it is cut after 20 minutes");
    const size_t bytes = decoded->pcm.bytes();
    if (!makeRoom(bytes)) {
        entry.failed = true;
        warn("a stream sound does not fit in the memory for sounds");
        return nullptr;
    }
    entry.stream = std::make_shared<const DecodedStream>(std::move(decoded.value()));
    entry.bytes = bytes;
    held_ += bytes;
    return entry.stream;
}

}  // namespace kelmora::player
