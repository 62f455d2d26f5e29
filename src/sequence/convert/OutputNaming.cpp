#include "sequence/convert/OutputNaming.h"

#include <cstdio>

#include "util/TextNumber.h"

namespace kelmora::convert {
namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string extensionOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return toLower(path.substr(dot));
}

std::string replaceName(const std::string& pattern, const std::string& name) {
    static const std::string kName = "{name}";
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern.compare(i, kName.size(), kName) == 0) {
            out += name;
            i += kName.size();
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

// Walks the pattern once, so a '%' inside the movie's name is never read as a placeholder;
// calls onNumber(width) for each frame number. False on a stray %.
template <class OnText, class OnNumber>
bool walkPattern(const std::string& pattern, const std::string& name, OnText onText, OnNumber onNumber) {
    static const std::string kName = "{name}";
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, kName.size(), kName) == 0) {
            for (char c : name) onText(c);
            i += kName.size() - 1;
            continue;
        }
        if (pattern[i] != '%') {
            onText(pattern[i]);
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            onText('%');
            ++i;
            continue;
        }
        size_t j = i + 1;
        int width = 0;
        if (j < pattern.size() && pattern[j] == '0') ++j;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100) width = width * 10 + (pattern[j++] - '0');
        if (j >= pattern.size() || pattern[j] != 'd' || width > 9) return false;
        onNumber(width);
        i = j;
    }
    return true;
}

}  // namespace

std::optional<PictureKind> pictureKindOf(const std::string& path) {
    const std::string ext = extensionOf(path);
    if (ext == ".bmp") return PictureKind::Bmp;
    if (ext == ".jpg" || ext == ".jpeg") return PictureKind::Jpeg;
    if (ext == ".png") return PictureKind::Png;
    return std::nullopt;
}

std::string movieName(const std::string& moviePath) {
    const size_t slash = moviePath.rfind('/');
    std::string name = slash == std::string::npos ? moviePath : moviePath.substr(slash + 1);
    if (endsWith(toLower(name), ".swf")) name.resize(name.size() - 4);
    return name;
}

bool patternHasName(const std::string& pattern) { return pattern.find("{name}") != std::string::npos; }

Status checkFramePattern(const std::string& pattern) {
    int numbers = 0;
    if (!walkPattern(pattern, {}, [](char) {}, [&](int) { ++numbers; }))
        return makeError("--out: a % must be followed by d, 0Nd (N up to 9) or %");
    if (numbers == 0) return makeError("--out needs %d or %04d for the frame number");
    if (!pictureKindOf(pattern)) return makeError("--out must end in .bmp, .jpg or .png");
    return {};
}

std::string frameFileName(const std::string& pattern, const std::string& moviePath, int frame) {
    char number[32];
    if (pattern.empty()) {
        std::snprintf(number, sizeof number, "_%04d.jpg", frame);
        return moviePath + number;
    }
    std::string out;
    (void)walkPattern(
        pattern, movieName(moviePath), [&](char c) { out += c; },
        [&](int width) {
            std::snprintf(number, sizeof number, "%0*d", width, frame);
            out += number;
        });
    return out;
}

std::string videoFileName(const std::string& pattern, const std::string& moviePath) {
    return replaceName(pattern, movieName(moviePath));
}

}  // namespace kelmora::convert
