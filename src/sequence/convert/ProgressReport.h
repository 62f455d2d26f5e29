#pragma once
// Telling how the conversions go: a bar on a terminal, or JSON lines for scripts. Movie threads
// call in at any time; a reporter keeps itself to its own pace.
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "sequence/convert/MovieConverter.h"

namespace kelmora::convert {

class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    virtual void update(const std::string& movie, const MovieProgress& progress) = 0;
    virtual void finished(const MovieResult& result) = 0;
};

// {"movie":"a.swf","state":"running","frames":120,"total":300,"elapsed":2.5}: one line per movie
// and second while it runs, and one when it ends ("done" or "failed", with "error").
std::string progressLine(const std::string& movie, const char* state, const MovieProgress& progress,
                         const std::string& error = {});

class JsonProgress : public ProgressReport {
public:
    // out stays the caller's. interval: the least time between two lines of one movie.
    explicit JsonProgress(std::FILE* out, std::chrono::milliseconds interval = std::chrono::seconds(1));
    void update(const std::string& movie, const MovieProgress& progress) override;
    void finished(const MovieResult& result) override;

private:
    std::mutex mutex_;
    std::FILE* out_;
    std::chrono::milliseconds interval_;
    std::map<std::string, std::chrono::steady_clock::time_point> last_;
};

// One line redrawn in place: movies done, frames written, the movie drawn now.
class ProgressBar : public ProgressReport {
public:
    ProgressBar(std::FILE* out, int movies);
    ~ProgressBar() override;  // ends the line
    void update(const std::string& movie, const MovieProgress& progress) override;
    void finished(const MovieResult& result) override;

private:
    void draw(const std::string& movie, const MovieProgress& progress);

    std::mutex mutex_;
    std::FILE* out_;
    int movies_ = 0, done_ = 0;
    std::chrono::steady_clock::time_point last_{};
    bool drawn_ = false;
};

}  // namespace kelmora::convert
