#include "player/media/SoundMixer.h"

#include <algorithm>
#include <cstdlib>

namespace kelmora::player {

namespace {

constexpr size_t kMaxStreamChannels = 32;

struct Gain {
    float left = 1, right = 1;
};

// The envelope's levels at a position of the sound (44.1 kHz frames), straight lines between points.
Gain envelopeAt(const std::vector<SoundEnvelopePoint>& points, size_t position) {
    auto after = std::upper_bound(points.begin(), points.end(), position,
                                  [](size_t p, const SoundEnvelopePoint& e) { return p < e.position44; });
    auto level = [](uint16_t v) { return float(v) / 32768.0f; };
    if (after == points.begin()) return {level(after->leftLevel), level(after->rightLevel)};
    auto before = std::prev(after);
    if (after == points.end()) return {level(before->leftLevel), level(before->rightLevel)};
    const float t = float(position - before->position44) / float(after->position44 - before->position44);
    return {level(before->leftLevel) + t * (level(after->leftLevel) - level(before->leftLevel)),
            level(before->rightLevel) + t * (level(after->rightLevel) - level(before->rightLevel))};
}

}  // namespace

void SoundMixer::mixFrame(std::span<const SoundEvent> events, size_t frames, std::vector<int16_t>& out) {
    for (auto& s : streams_) s.entered = false;
    for (const SoundEvent& e : events) apply(e, frames);
    // A stream plays only while its timeline moves: stopped, removed or unloaded clips fall silent.
    std::erase_if(streams_, [](const StreamChannel& s) { return !s.entered; });

    sum_.assign(frames * 2, 0);
    for (auto& c : events_) addEvent(c, frames);
    std::erase_if(events_, [](const EventChannel& c) { return c.loopsLeft == 0; });
    for (auto& s : streams_) addStream(s, frames);

    const size_t at = out.size();
    out.resize(at + sum_.size());
    for (size_t i = 0; i < sum_.size(); ++i) out[at + i] = int16_t(std::clamp(sum_[i], -32768, 32767));
}

void SoundMixer::apply(const SoundEvent& e, size_t frames) {
    switch (e.kind) {
    case SoundEvent::Kind::Start: start(e); break;
    case SoundEvent::Kind::Stop:
        std::erase_if(events_, [&](const EventChannel& c) { return c.sound == e.sound.get(); });
        break;
    case SoundEvent::Kind::StopAll:
        events_.clear();
        streams_.clear();
        break;
    case SoundEvent::Kind::StreamFrame: enterStreamFrame(e, frames); break;
    case SoundEvent::Kind::ClipGone:
        std::erase_if(streams_, [&](const StreamChannel& s) { return s.clip == e.clip; });
        break;
    }
}

void SoundMixer::start(const SoundEvent& e) {
    const SoundInfo& info = e.info;
    auto same = [&](const EventChannel& c) { return c.sound == e.sound.get(); };
    if (info.syncStop) {
        std::erase_if(events_, same);
        return;
    }
    if (info.syncNoMultiple && std::any_of(events_.begin(), events_.end(), same)) return;
    if (events_.size() >= kMaxEventChannels) return;
    auto pcm = cache_.eventSound(e.sound);
    if (!pcm) return;
    const size_t length = pcm->frames();
    EventChannel c;
    c.sound = e.sound.get();
    c.begin = std::min<size_t>(info.inPoint.value_or(0), length);
    c.end = info.outPoint ? std::min<size_t>(*info.outPoint, length) : length;
    if (c.begin >= c.end) return;
    c.position = c.begin;
    c.loopsLeft = std::max<uint32_t>(info.loopCount, 1);
    c.envelope = info.envelope;
    std::stable_sort(c.envelope.begin(), c.envelope.end(),
                     [](const SoundEnvelopePoint& a, const SoundEnvelopePoint& b) { return a.position44 < b.position44; });
    c.pcm = std::move(pcm);
    events_.push_back(std::move(c));
}

void SoundMixer::enterStreamFrame(const SoundEvent& e, size_t frames) {
    auto it = std::find_if(streams_.begin(), streams_.end(),
                           [&](const StreamChannel& s) { return s.clip == e.clip && s.stream == e.stream.get(); });
    if (it == streams_.end()) {
        if (streams_.size() >= kMaxStreamChannels) return;
        StreamChannel s;
        s.clip = e.clip;
        s.stream = e.stream.get();
        s.decoded = cache_.streamSound(e.stream);
        streams_.push_back(std::move(s));
        it = std::prev(streams_.end());
    }
    it->entered = true;
    if (!it->decoded) return;
    const int64_t start = it->decoded->frameStart(e.frame);
    if (start < 0) return;  // no block here: what plays goes on
    // Playing on keeps the sound whole; only a jump (goto, loop, a late start) or a drift of more
    // than a frame moves it to where this frame's block begins. The slack is wide on purpose:
    // files disagree on the sign of MP3 seek samples, and a misread one must not chop the sound
    // at every frame.
    const int64_t slack = int64_t(frames);
    if (it->position < 0 || std::llabs(it->position - start) > slack) it->position = start;
}

void SoundMixer::addEvent(EventChannel& c, size_t frames) {
    const int16_t* s = c.pcm->samples.data();
    const bool stereo = c.pcm->channels == 2;
    int32_t* out = sum_.data();
    size_t done = 0;
    while (done < frames && c.loopsLeft > 0) {
        const size_t run = std::min(frames - done, c.end - c.position);
        for (size_t i = 0; i < run; ++i) {
            const size_t p = c.position + i;
            int32_t left = stereo ? s[2 * p] : s[p];
            int32_t right = stereo ? s[2 * p + 1] : left;
            if (!c.envelope.empty()) {
                const Gain g = envelopeAt(c.envelope, p);
                left = int32_t(float(left) * g.left);
                right = int32_t(float(right) * g.right);
            }
            out[2 * (done + i)] += left;
            out[2 * (done + i) + 1] += right;
        }
        c.position += run;
        done += run;
        if (c.position >= c.end) {
            --c.loopsLeft;
            c.position = c.begin;
        }
    }
}

void SoundMixer::addStream(StreamChannel& c, size_t frames) {
    if (c.position < 0 || !c.decoded) return;
    const PcmSound& pcm = c.decoded->pcm;
    const int64_t total = int64_t(pcm.frames());
    const int16_t* s = pcm.samples.data();
    const bool stereo = pcm.channels == 2;
    const size_t run = size_t(std::clamp<int64_t>(total - c.position, 0, int64_t(frames)));
    int32_t* out = sum_.data();
    for (size_t i = 0; i < run; ++i) {
        const size_t p = size_t(c.position) + i;
        out[2 * i] += stereo ? s[2 * p] : s[p];
        out[2 * i + 1] += stereo ? s[2 * p + 1] : s[p];
    }
    c.position += int64_t(frames);
}

}  // namespace kelmora::player
