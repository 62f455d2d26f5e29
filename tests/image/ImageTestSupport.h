#pragma once
// Shared pieces of the image tests: a message recorder, a scratch folder, test pictures and
// file helpers.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QLinearGradient>
#include <cstdint>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "util/MessageSink.h"

namespace kelmora::testing {

class RecordingMessageSink : public MessageSink {
public:
    MessageAnswer show(const Message& message) override {
        messages.push_back(message);
        return MessageAnswer::Ok;
    }
    std::vector<Message> messages;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmora-image-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    // Names in the folder, for checking that no temporary file was left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string path_;
};

// A frame like a movie's: gradients, shapes with hard edges, a little text-like detail.
// Its four quarters have clearly different colours, so a flipped picture can't pass.
inline QImage makeFrame(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(30, 60, 200));
    sky.setColorAt(1, QColor(230, 220, 120));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawRect(0, 0, width / 2, height / 2);  // red top-left quarter
    p.setBrush(QColor(20, 160, 40));
    p.drawEllipse(QPointF(width * 0.75, height * 0.75), width / 5.0, height / 5.0);
    p.setPen(QPen(Qt::white, 2));
    for (int i = 0; i < 8; ++i) p.drawLine(width / 2, i * height / 16, width, height / 2 - i * height / 16);
    p.end();
    return image.convertToFormat(format);
}

inline std::vector<uint8_t> readBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Saves an input for a fuzz target when the test run collects seeds.
inline void writeSeed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir || !*dir) return;
    const std::filesystem::path folder = std::filesystem::path(dir) / target;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    writeBytes((folder / name).string(), bytes);
}

inline bool runningAsRoot() { return ::geteuid() == 0; }

}  // namespace kelmora::testing
