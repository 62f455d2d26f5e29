#include "sequence/PictureList.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "image/BitmapFile.h"
#include "sequence/FileDialog.h"
#include "settings/Settings.h"
#include "util/TextNumber.h"

namespace kelmora {

PictureList::PictureList(Settings& settings, MessageSink& messages) : settings_(settings), messages_(messages) {}

void PictureList::select(int index) {
    if (index < 0 || index >= count()) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    previewPath_ = entries_[size_t(index)];
}

void PictureList::addSelection(const std::string& selection) {
    for (const auto& path : splitSelection(selection)) addPicture(path);
}

void PictureList::addPicture(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) settings_.setAviPath(path.substr(0, slash + 1));
    cDib dib;
    if (!dib.CreateFromFile(path, messages_)) return;
    if (!reference_.set) {
        reference_ = {true, dib.Width(), dib.Height(), dib.BitCount()};
    }
    if (dib.Width() == reference_.width && dib.Height() == reference_.height && dib.BitCount() == reference_.bitCount) {
        previewPath_ = path;
        entries_.push_back(path);
    } else {
        messages_.show({path, kDifferentFormatText, MessageIcon::Information, MessageButtons::Ok});
    }
    clearAndWriteEnabled_ = true;
}

void PictureList::clear() {
    entries_.clear();
    selected_ = -1;
    previewPath_.clear();
    reference_ = {};
    clearAndWriteEnabled_ = false;
}

void PictureList::sort(const std::function<void()>& betweenPasses) {
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 0; i + 1 < entries_.size(); ++i) {
            if (entries_[i] > entries_[i + 1]) {
                std::swap(entries_[i], entries_[i + 1]);
                exchanged = true;
            }
        }
        if (betweenPasses) betweenPasses();
    }
}

void PictureList::moveUp() {
    if (selected_ < 1 || selected_ >= count()) return;
    std::swap(entries_[size_t(selected_) - 1], entries_[size_t(selected_)]);
    select(selected_ - 1);
}

void PictureList::moveDown() {
    if (selected_ < 0 || selected_ >= count() - 1) return;
    std::swap(entries_[size_t(selected_)], entries_[size_t(selected_) + 1]);
    select(selected_ + 1);
}

void PictureList::removeSelected() {
    if (selected_ < 0 || selected_ >= count()) return;
    const std::string path = entries_[size_t(selected_)];
    if (messages_.show({path, kRemoveQuestion, MessageIcon::Question, MessageButtons::OkCancel}) != MessageAnswer::Ok) {
        return;
    }
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
}

std::optional<FrameRateBox> frameRateTyped(const std::string& text, Settings& settings) {
    const auto number = parseNumber(text);
    if (!number || !std::isfinite(*number)) return std::nullopt;
    const double whole = std::floor(*number);
    const int rate = whole > 99 ? 99 : whole < 1 ? 1 : int(whole);
    FrameRateBox box{std::to_string(rate), 99 - rate};
    settings.setFrameRate(box.text);
    return box;
}

FrameRateBox frameRateScrolled(int value, Settings& settings) {
    return *frameRateTyped(std::to_string(99 - std::clamp(value, 0, 99)), settings);
}

FrameRateBox frameRateAtLoad(Settings& settings) {
    if (auto box = frameRateTyped(settings.frameRate(), settings)) return *box;
    return *frameRateTyped("12", settings);
}

int frameRateForWriting(const std::string& boxText) {
    const double rate = roundHalfEven(leadingNumber(boxText));
    if (!(rate >= 1)) return 1;
    return rate > 99 ? 99 : int(rate);
}

}  // namespace kelmora
