#include "sequence/convert/MovieConverter.h"

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "sequence/VideoFileWriter.h"
#include "sequence/convert/FrameBuffers.h"
#include "sequence/convert/FrameRate.h"
#include "sequence/convert/OutputNaming.h"
#include "sequence/convert/PictureFile.h"
#include "sequence/convert/Supersample.h"

namespace kelmora::convert {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxSide = 16384;
constexpr int64_t kMaxDrawnPixels = int64_t(1) << 28;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The first error of any writer thread wins; the renderer looks at it between frames.
class FirstError {
public:
    void set(const std::string& reason) {
        std::lock_guard lock(mutex_);
        if (!failed_.load()) reason_ = reason;
        failed_ = true;
    }
    bool failed() const { return failed_.load(); }
    std::string reason() const {
        std::lock_guard lock(mutex_);
        return reason_;
    }

private:
    mutable std::mutex mutex_;
    std::atomic<bool> failed_{false};
    std::string reason_;
};

// Motion JPEG frames come back from the pool in any order and go into the file in order. A
// frame's picture is given back only once the frame is in the file, so the pictures lent out
// bound this queue too.
class InOrderJpegFrames {
public:
    struct Frame {
        std::vector<uint8_t> jpeg;
        std::vector<int16_t> sound;
        std::function<void()> done;
    };
    explicit InOrderJpegFrames(int first) : next_(first) {}

    void add(int number, Frame frame, VideoFileWriter& video, FirstError& error) {
        std::vector<std::function<void()>> written;
        {
            std::lock_guard lock(mutex_);
            waiting_.emplace(number, std::move(frame));
            for (auto it = waiting_.find(next_); it != waiting_.end(); it = waiting_.find(++next_)) {
                Frame& f = it->second;
                if (!error.failed()) {
                    Status st = video.writeJpegFrame(f.jpeg);
                    if (st) st = video.writeSound(f.sound);
                    if (!st) error.set(st.error().message);
                }
                written.push_back(std::move(f.done));
                waiting_.erase(it);
            }
        }
        // Last, and outside the lock: once every picture is back the converter ends, and this
        // object with it.
        for (auto& done : written) done();
    }

private:
    std::mutex mutex_;
    std::map<int, Frame> waiting_;
    int next_;
};

}  // namespace

Result<std::pair<int, int>> outputSize(int stageWidth, int stageHeight, const ConvertOptions& options) {
    double w = options.width, h = options.height;
    if (w <= 0 || h <= 0) {
        w = std::round(stageWidth * options.scale);
        h = std::round(stageHeight * options.scale);
    }
    if (!(w >= 1 && h >= 1)) return makeError("the picture would be empty (the movie is " + std::to_string(stageWidth) +
                                              " x " + std::to_string(stageHeight) + " pixels)");
    if (w > kMaxSide || h > kMaxSide) return makeError("the picture would be larger than 16384 pixels on a side");
    const int64_t ss = std::max(1, options.supersample);
    if (int64_t(w) * int64_t(h) * ss * ss > kMaxDrawnPixels)
        return makeError("the supersampled picture would be too large");
    return std::pair<int, int>{int(w), int(h)};
}

MovieConverter::MovieConverter(const ConvertOptions& options, EncodePool& pool) : options_(options), pool_(pool) {}

MovieResult MovieConverter::convert(const std::string& moviePath,
                                    const std::function<void(const MovieProgress&)>& onProgress) {
    const auto start = Clock::now();
    MovieResult result;
    result.moviePath = moviePath;
    auto finish = [&](std::string reason) {
        result.ok = reason.empty();
        result.reason = std::move(reason);
        result.seconds = secondsSince(start);
        return result;
    };

    player::Player player;
    player.setTransparentStage(options_.transparent);
    if (options_.scriptActionLimit > 0) player.setScriptActionLimit(options_.scriptActionLimit);
    // A script the engine had to stop leaves the movie's frames in doubt: the movie fails.
    std::string scriptStopped;
    player.setReportSink([&](const std::string& message) {
        if (scriptStopped.empty()) scriptStopped = message;
    });
    if (Status st = player.load(moviePath); !st) return finish(st.error().message);
    auto size = outputSize(player.stageWidth(), player.stageHeight(), options_);
    if (!size) return finish(size.error().message);
    const auto [width, height] = *size;
    const int ss = std::max(1, options_.supersample);
    const FrameRate rate = FrameRate::fromFramesPerSecond(player.frameRate());
    MovieEnd end(options_.frames, options_.holdSeconds, rate.value(), options_.maxFrames);
    const int first = std::max(1, options_.frames.first);

    const bool pictures = !options_.outPattern.empty() || options_.videoPath.empty();
    PictureSettings pictureSettings;
    if (pictures) {
        pictureSettings.kind = options_.outPattern.empty() ? PictureKind::Jpeg : *pictureKindOf(options_.outPattern);
        pictureSettings.quality = options_.quality;
        pictureSettings.withAlpha = options_.transparent;
    }

    std::unique_ptr<VideoFileWriter> video;
    std::unique_ptr<EncodePool> videoThread;
    if (!options_.videoPath.empty()) {
        VideoFileSettings vs;
        vs.path = videoFileName(options_.videoPath, moviePath);
        vs.width = width;
        vs.height = height;
        vs.rateNumerator = rate.numerator;
        vs.rateDenominator = rate.denominator;
        vs.videoCodec = options_.videoCodec;
        vs.quality = options_.videoQuality;
        vs.sound = options_.audio;
        vs.soundCodec = options_.audioCodec;
        vs.threads = options_.jobs;
        vs.jpegFrames = true;
        auto opened = VideoFileWriter::open(vs);
        if (!opened) return finish(vs.path + ": " + opened.error().message);
        video = std::move(opened.value());
        if (video->hasSound()) {
            // Cut at our frame rate (a movie of 0 fps plays at 12 here), from the frame shown now.
            player.setAudioFrameRate(uint32_t(rate.numerator), uint32_t(rate.denominator));
            player.enableAudio(true);
        }
        // Frames must reach the encoder in order: one thread of its own, beside the renderer.
        // Motion JPEG frames are encoded on the pool instead and put in order afterwards.
        if (!video->takesJpegFrames()) videoThread = std::make_unique<EncodePool>(options_.jobs == 1 ? 0 : 1, 2);
    }
    InOrderJpegFrames jpegFrames{first};

    // Enough pictures for every writer thread to be busy while the renderer draws the next one.
    FrameBuffers buffers(pool_.threads() + (videoThread ? 2 : 0) + 2);
    FirstError error;
    std::atomic<int> written{0};
    player::PixelBuffer large;
    std::vector<int16_t> sound;
    // Samples per channel owed up to the frames handed over; counted from the movie's start, so
    // each frame gets exactly the slice the engine cut for it.
    int64_t soundGiven = rate.samplesFor(first - 1, kSoundRate);
    auto lastReport = Clock::now() - std::chrono::seconds(1);
    const double timeout = options_.timeoutSeconds;

    for (int shown = 1;; ++shown) {
        if (shown > 1) player.advance();
        if (video && video->hasSound()) takeFrameSound(player, sound);
        if (!scriptStopped.empty()) {
            error.set("a script was stopped at frame " + std::to_string(shown) + ": " + scriptStopped);
            break;
        }
        if (shown >= first) {
            player::PixelBuffer* picture = buffers.acquire();
            if (ss == 1) {
                picture->resize(width, height);
                player.render(*picture);
            } else {
                large.resize(width * ss, height * ss);
                player.render(large);
                downsample(large, ss, *picture);
            }
            // One task writes the picture file and, in order on its own thread, the video frame.
            auto pending = std::make_shared<std::atomic<int>>((pictures ? 1 : 0) + (video ? 1 : 0));
            auto done = [&buffers, &written, picture, pending] {
                if (--*pending == 0) {
                    ++written;  // before the release: the end of the movie waits for the releases
                    buffers.release(picture);
                }
            };
            if (pictures) {
                std::string name = frameFileName(options_.outPattern, moviePath, shown);
                pool_.submit([picture, name = std::move(name), &pictureSettings, &error, done] {
                    if (!error.failed()) {
                        if (Status st = writePictureFile(*picture, name, pictureSettings); !st)
                            error.set(st.error().message);
                    }
                    done();
                });
            }
            if (video) {
                std::vector<int16_t> frameSound;
                if (video->hasSound()) {
                    const int64_t wanted = rate.samplesFor(shown, kSoundRate) - soundGiven;
                    frameSound.assign(size_t(wanted) * kSoundChannels, 0);
                    std::copy_n(sound.begin(), std::min(sound.size(), frameSound.size()), frameSound.begin());
                    soundGiven += wanted;
                }
                if (video->takesJpegFrames()) {
                    pool_.submit([picture, shown, frameSound = std::move(frameSound), quality = options_.videoQuality,
                                  &video, &error, &jpegFrames, done]() mutable {
                        std::vector<uint8_t> jpeg;
                        if (!error.failed()) {
                            if (Status st = encodeVideoJpeg(*picture, quality, jpeg); !st) error.set(st.error().message);
                        }
                        jpegFrames.add(shown, {std::move(jpeg), std::move(frameSound), done}, *video, error);
                    });
                } else {
                    videoThread->submit([picture, frameSound = std::move(frameSound), &video, &error, done] {
                        if (!error.failed()) {
                            Status st = video->writeFrame(picture->data(), picture->stride());
                            if (st) st = video->writeSound(frameSound);
                            if (!st) error.set(st.error().message);
                        }
                        done();
                    });
                }
            }
        }
        result.framesPlayed = shown;
        player::MovieClip* root = player.root();
        TimelineState state;
        if (root) state = {root->currentFrame(), root->totalFrames(), root->isPlaying()};
        result.end = end.afterFrame(shown, state);
        if (error.failed() || result.end != EndReason::NotYet) break;
        if (timeout > 0 && secondsSince(start) > timeout) {
            error.set("timed out after " + std::to_string(int(std::lround(timeout))) + " s at frame " + std::to_string(shown));
            break;
        }
        if (onProgress && Clock::now() - lastReport >= std::chrono::milliseconds(200)) {
            lastReport = Clock::now();
            onProgress({written.load(), std::max(1, end.expectedFrames(state.total) - first + 1), secondsSince(start)});
        }
    }
    buffers.waitAllReturned();
    videoThread.reset();
    if (video) {
        if (Status st = video->close(); !st && !error.failed()) error.set(st.error().message);
    }
    result.framesWritten = written.load();
    if (error.failed()) return finish(error.reason());
    if (result.framesPlayed < first)
        return finish("the movie ends at frame " + std::to_string(result.framesPlayed) + ", before frame " +
                      std::to_string(first));
    if (onProgress) onProgress({result.framesWritten, result.framesWritten, secondsSince(start)});
    if (result.end == EndReason::FrameLimit)
        result.note = "stopped at the frame limit (" + std::to_string(result.framesPlayed) + " frames); the movie plays on";
    return finish({});
}

}  // namespace kelmora::convert
