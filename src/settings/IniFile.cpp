#include "settings/IniFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "swf/AtomicFile.h"
#include "util/TextNumber.h"

namespace kelmora {

namespace {

// A settings file is a few hundred bytes; anything this large is not one.
constexpr size_t kMaxIniBytes = 1u << 20;

struct Failure {
    int number;
    std::string description;
};

void showLoadFailure(MessageSink& messages, const Failure& f) {
    messages.show({"loadIni", "Error #" + std::to_string(f.number) + kCrLf + f.description, MessageIcon::Information});
}

Failure notANumber(const std::string& key, const std::string& value, const char* wanted) {
    return {EINVAL, key + " needs " + wanted + ", found \"" + value + "\""};
}

// Applies one line; a failure ends the reading.
std::optional<Failure> applyLine(Settings& s, std::string_view line, MessageSink& messages) {
    const size_t eq = line.find('=');
    std::string key = eq == std::string_view::npos ? std::string() : toLower(line.substr(0, eq + 1));
    std::string_view raw = eq == std::string_view::npos ? line : line.substr(eq + 1);
    // Folder paths keep their case: file names are case-sensitive here.
    const bool isPath = key == "swfpath=" || key == "avipath=";
    std::string value = isPath ? std::string(raw) : toLower(raw);

    if (key == "swfpath=") {
        s.setSwfPath(value);
    } else if (key == "format=") {
        if (value == "bmp") s.setFormat(PictureFormat::Bmp);
        else if (value == "jpg") s.setFormat(PictureFormat::Jpg);
        else if (value == "avi") s.setFormat(PictureFormat::Avi);
    } else if (key == "quality=") {
        std::optional<double> number = parseNumber(value);
        if (!number) return notANumber(key, value, "a number");
        if (*number > 100) value = "100";
        else if (*number < 0) value = "0";
        const double clamped = std::clamp(*number, 0.0, 100.0);
        s.setQuality(value);
        s.setQualityScrollPosition(static_cast<int>(roundHalfEven(100 - clamped)));
    } else if (key == "precapture=") {
        std::optional<double> number = parseNumber(value);
        if (!number) return notANumber(key, value, "a whole number");
        const double state = roundHalfEven(*number);
        if (state != kUnchecked && state != kChecked && state != kGrayed) return notANumber(key, value, "0, 1 or 2");
        s.setPreCapture(static_cast<int>(state));
    } else if (key == "startframe=") {
        s.setStartFrame(value);
    } else if (key == "stopframe=") {
        s.setStopFrame(value);
    } else if (key == "avipath=") {
        s.setAviPath(value);
    } else if (key == "framerate=") {
        s.setFrameRate(value);
    } else {
        messages.show({key, std::string("Unknown parameter found in ") + kSettingsFileName + " file.",
                       MessageIcon::Information});
    }
    return std::nullopt;
}

std::string_view formatText(PictureFormat f) {
    switch (f) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Jpg: return "jpg";
    case PictureFormat::Avi: return "avi";
    }
    return "jpg";
}

// The whole file, or the failure that stops the reading.
std::optional<Failure> readSmallFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Failure{errno, "cannot open " + path + ": " + std::strerror(errno)};
    std::optional<Failure> failure;
    char buf[4096];
    for (;;) {
        size_t n = std::fread(buf, 1, sizeof buf, file);
        text.append(buf, n);
        if (text.size() > kMaxIniBytes) {
            failure = Failure{EFBIG, path + " is larger than 1 MiB and cannot be a settings file"};
            break;
        }
        if (n < sizeof buf) {
            if (std::ferror(file)) failure = Failure{errno, "cannot read " + path + ": " + std::strerror(errno)};
            break;
        }
    }
    std::fclose(file);
    return failure;
}

}  // namespace

void loadIni(Settings& settings, const std::string& path, MessageSink& messages) {
    settings.setSwfPath(settings.programFolder());
    std::string text;
    if (std::optional<Failure> f = readSmallFile(path, text)) {
        showLoadFailure(messages, *f);
        return;
    }
    loadIniText(settings, text, messages);
}

void loadIniText(Settings& settings, std::string_view text, MessageSink& messages) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (std::optional<Failure> f = applyLine(settings, line, messages)) {
            showLoadFailure(messages, *f);
            return;
        }
    }
}

std::string iniText(const Settings& s) {
    std::string t;
    auto line = [&t](std::string_view key, std::string_view value) {
        t.append(key).append(value).append(kCrLf);
    };
    line("swfPath=", s.swfPath());
    line("format=", formatText(s.format()));
    line("quality=", trim(s.quality()));
    line("precapture=", std::to_string(s.preCapture()));
    line("startframe=", s.startFrame());
    line("stopframe=", s.stopFrame());
    line("aviPath=", s.aviPath());
    line("framerate=", s.frameRate());
    return t;
}

void writeIni(const Settings& settings, const std::string& path, MessageSink& messages) {
    const std::string text = iniText(settings);
    Status written = writeFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    if (!written) {
        messages.show({"writeIni", "Error #" + std::to_string(written.error().code) + kCrLf + written.error().message,
                       MessageIcon::None});
    }
}

std::string settingsFilePath(const std::string& programFolder, const char* xdgConfigHome, const char* home) {
    const std::string portable = (programFolder.empty() ? std::string(".") : programFolder) + "/" + kSettingsFileName;
    struct stat st {};
    if (::stat(portable.c_str(), &st) == 0) return portable;
    const std::string folder = programFolder.empty() ? "." : programFolder;
    if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK) == 0) return portable;

    std::string config;
    if (xdgConfigHome && xdgConfigHome[0] == '/') config = xdgConfigHome;
    else if (home && home[0] != '\0') config = std::string(home) + "/.config";
    else return portable;  // nowhere else to go; writeIni will say why it fails
    return config + "/kelmora/" + kSettingsFileName;
}

std::string settingsFilePath(const std::string& programFolder) {
    std::string path = settingsFilePath(programFolder, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return path;
}

}  // namespace kelmora
