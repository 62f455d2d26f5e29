#include "player/Player.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "player/display/Stage.h"
#include "player/format/MovieDef.h"
#include "player/media/SoundTrack.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player {

namespace {
// Movie files larger than this are not read (the decompressed movie has its own cap).
constexpr std::streamoff kMaxFileSize = 256 << 20;
}

Player::Player() = default;
Player::~Player() { unload(); }

void Player::unload() {
    stage_.reset();
    scripts_.reset();
}

Status Player::load(const std::string& path) {
    audio_.reset();
    unload();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return makeError("cannot open the movie \"" + path + "\"");
    std::streamoff size = in.tellg();
    if (size < 0) return makeError("cannot read the movie \"" + path + "\"");
    if (size > kMaxFileSize) return makeError("the movie \"" + path + "\" is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return makeError("cannot read the movie \"" + path + "\"");
    auto slash = path.find_last_of('/');
    return load(bytes, slash == std::string::npos ? std::string(".") : path.substr(0, slash));
}

Status Player::load(std::span<const uint8_t> bytes, const std::string& baseFolder) {
    audio_.reset();
    unload();
    baseFolder_ = baseFolder.empty() ? std::string(".") : baseFolder;
    auto movie = MovieDef::load(bytes);
    if (!movie) return movie.error();
    std::shared_ptr<const MovieDef> def = std::move(movie.value());
    shownFrame_ = 0;
    if (def->usesActionScript3()) {
        stage_ = std::make_unique<Stage>(std::move(def));
        if (audioOn_) startAudioTrack();
        return {};
    }
    script::ScriptEngine::Sinks sinks;
    sinks.trace = [this](const std::string& line) { trace(line); };
    sinks.report = [this](const std::string& message) { report(message); };
    avm1::Limits limits;
    if (scriptActionLimit_) limits.maxActionsPerEntry = scriptActionLimit_;
    scripts_ = std::make_unique<script::ScriptEngine>(std::move(sinks), limits);
    const double rate = def->header().frameRate;
    const int version = def->header().version;
    stage_ = std::make_unique<Stage>(std::move(def), scripts_.get(), baseFolder_);
    scripts_->start(*stage_, rate, version, baseFolder_);
    if (audioOn_) startAudioTrack();
    return {};
}

Status Player::setMovie(const std::string& path) {
    moviePath_ = path;
    return load(path);
}

void Player::play() {
    if (stage_) stage_->root().play();
}
void Player::stop() {
    if (stage_) stage_->root().stop();
}
void Player::rewind() {
    if (stage_) stage_->root().gotoFrame(0);
}
int Player::currentFrame() const { return stage_ ? static_cast<int>(stage_->root().currentFrame()) : 0; }
int Player::totalFrames() const { return stage_ ? static_cast<int>(stage_->root().totalFrames()) : 0; }
bool Player::isPlaying() const { return stage_ && stage_->root().isPlaying(); }

void Player::setBGColor(const std::string& text) {
    uint32_t value = 0;
    size_t digits = 0;
    for (char c : text) {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0) {
            if (c == '#' && digits == 0) continue;
            return;  // not a colour: keep the current one
        }
        if (++digits > 6) return;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    if (digits == 0) return;
    bgColor_ = {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value), 255};
}

std::string Player::bgColor() const {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t c : {bgColor_.r, bgColor_.g, bgColor_.b}) {
        s += hex[c >> 4];
        s += hex[c & 15];
    }
    return s;
}

Rgba Player::stageColor() const {
    if (stage_) {
        if (auto c = stage_->movie().backgroundColor()) return *c;
    }
    return bgColor_;
}

void Player::advance() {
    if (!stage_) return;
    // The frame shown until now is mixed with what it asked for before the next one asks.
    gatherLevelSounds();
    if (audio_) audio_->mixThrough(shownFrame_, stage_->context().sounds);
    else stage_->context().sounds.clear();
    if (scripts_) scripts_->advance();
    else stage_->advance();
    ++shownFrame_;
}

void Player::gatherLevelSounds() {
    // Movies loaded into other levels ask for sound in their own contexts; they play in one track.
    for (auto& [n, level] : stage_->levels())
        if (n != 0) stage_->context().sounds.append(level.context->sounds);
}

void Player::startAudioTrack() {
    auto [numerator, denominator] = audioRate_.value_or(
        std::pair<uint32_t, uint32_t>(static_cast<uint32_t>(std::lround(stage_->movie().header().frameRate * 256)), 256));
    audio_ = std::make_unique<SoundTrack>(numerator, denominator, shownFrame_);
}

void Player::enableAudio(bool on) {
    audioOn_ = on;
    if (!on) audio_.reset();
    else if (!audio_ && stage_) startAudioTrack();
}

void Player::setAudioFrameRate(uint32_t numerator, uint32_t denominator) {
    if (denominator > 0) audioRate_.emplace(numerator, denominator);
}

size_t Player::takeAudio(std::vector<int16_t>& samples) {
    if (!audio_ || !stage_) return 0;
    gatherLevelSounds();
    audio_->mixThrough(shownFrame_, stage_->context().sounds);
    return audio_->take(samples);
}

std::vector<std::string> Player::audioWarnings() const {
    return audio_ ? audio_->mixer().warnings() : std::vector<std::string>{};
}

void Player::render(PixelBuffer& picture) {
    if (scripts_) scripts_->flushDrawings();
    if (picture.empty()) picture.resize(stageWidth(), stageHeight());
    if (transparentStage_) {
        picture.fill(0);
        if (stage_) stage_->renderOver(picture);
        return;
    }
    if (!stage_) {
        picture.fill(packArgb(255, bgColor_.r, bgColor_.g, bgColor_.b));
        return;
    }
    stage_->render(picture, stageColor());
}

double Player::frameRate() const { return stage_ ? stage_->movie().header().frameRate : 0; }
int Player::stageWidth() const { return stage_ ? stage_->movie().header().pixelWidth() : 0; }
int Player::stageHeight() const { return stage_ ? stage_->movie().header().pixelHeight() : 0; }
const MovieDef* Player::movieDefinition() const { return stage_ ? &stage_->movie() : nullptr; }
MovieClip* Player::root() { return stage_ ? &stage_->root() : nullptr; }

}  // namespace kelmora::player
