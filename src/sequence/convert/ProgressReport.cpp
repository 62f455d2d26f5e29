#include "sequence/convert/ProgressReport.h"

#include <algorithm>
#include <cmath>

namespace kelmora::convert {
namespace {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string fileTitle(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string progressLine(const std::string& movie, const char* state, const MovieProgress& p, const std::string& error) {
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, ",\"frames\":%d,\"total\":%d,\"elapsed\":%.2f", p.framesWritten,
                  p.framesExpected, p.seconds);
    std::string line = "{\"movie\":" + jsonString(movie) + ",\"state\":" + jsonString(state) + numbers;
    if (!error.empty()) line += ",\"error\":" + jsonString(error);
    return line + "}";
}

JsonProgress::JsonProgress(std::FILE* out, std::chrono::milliseconds interval) : out_(out), interval_(interval) {}

void JsonProgress::update(const std::string& movie, const MovieProgress& progress) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    auto it = last_.find(movie);
    if (it == last_.end()) {
        // The first line comes after the first interval, like every other.
        last_.emplace(movie, now);
        return;
    }
    if (now - it->second < interval_) return;
    it->second = now;
    std::fprintf(out_, "%s\n", progressLine(movie, "running", progress).c_str());
    std::fflush(out_);
}

void JsonProgress::finished(const MovieResult& r) {
    std::lock_guard lock(mutex_);
    last_.erase(r.moviePath);
    const MovieProgress p{r.framesWritten, r.framesWritten, r.seconds};
    std::fprintf(out_, "%s\n", progressLine(r.moviePath, r.ok ? "done" : "failed", p, r.reason).c_str());
    std::fflush(out_);
}

ProgressBar::ProgressBar(std::FILE* out, int movies) : out_(out), movies_(movies) {}

ProgressBar::~ProgressBar() {
    if (drawn_) std::fputs("\n", out_);
}

void ProgressBar::update(const std::string& movie, const MovieProgress& progress) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    draw(movie, progress);
}

void ProgressBar::finished(const MovieResult& r) {
    std::lock_guard lock(mutex_);
    ++done_;
    if (!r.ok) {
        std::fprintf(out_, "%s%s: failed: %s\n", drawn_ ? "\r\033[K" : "", r.moviePath.c_str(), r.reason.c_str());
        drawn_ = false;
    }
    draw(r.moviePath, {r.framesWritten, r.framesWritten, r.seconds});
}

void ProgressBar::draw(const std::string& movie, const MovieProgress& p) {
    constexpr int kWidth = 30;
    const double part = p.framesExpected > 0 ? std::clamp(double(p.framesWritten) / p.framesExpected, 0.0, 1.0) : 0;
    const int filled = int(part * kWidth);
    std::string bar(size_t(filled), '#');
    bar.append(size_t(kWidth - filled), '.');
    const double fps = p.seconds > 0 ? p.framesWritten / p.seconds : 0;
    std::fprintf(out_, "\r\033[K[%s] %3d%%  %d/%d movies  %s  frame %d/%d  %.0f fps", bar.c_str(), int(part * 100), done_,
                 movies_, fileTitle(movie).c_str(), p.framesWritten, p.framesExpected, fps);
    std::fflush(out_);
    drawn_ = true;
}

}  // namespace kelmora::convert
