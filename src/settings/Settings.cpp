#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "util/TextNumber.h"

namespace kelmora {

namespace {

std::string wholeNumberText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}

}  // namespace

Settings::Settings(std::string programFolder) : programFolder_(std::move(programFolder)), swfPath_(programFolder_) {}

void Settings::changed(SettingsField field) {
    // Copied: an observer may add or remove observers while being told.
    std::vector<SettingsObserver*> observers = observers_;
    for (SettingsObserver* o : observers) o->settingChanged(field);
}

template <class T>
void Settings::assign(T& field, T value, SettingsField which) {
    // A change that leaves a value as it was triggers nothing, which ends the quality <-> scroll exchange.
    if (field == value) return;
    field = std::move(value);
    changed(which);
}

void Settings::setSwfPath(std::string value) { assign(swfPath_, std::move(value), SettingsField::SwfPath); }
void Settings::setFormat(PictureFormat value) { assign(format_, value, SettingsField::Format); }

void Settings::setQuality(std::string value) {
    std::optional<double> number = parseNumber(value);
    if (!number) {
        assign(quality_, std::move(value), SettingsField::Quality);
        return;
    }
    double whole = std::clamp(std::floor(*number), 0.0, 100.0) + 0.0;  // + 0.0: no "-0"
    assign(quality_, wholeNumberText(whole), SettingsField::Quality);
    setQualityScrollPosition(static_cast<int>(100 - whole));
}

void Settings::setQualityScrollPosition(int position) {
    position = std::clamp(position, 0, 100);
    if (position == qualityScroll_) return;
    qualityScroll_ = position;
    changed(SettingsField::QualityScroll);
    setQuality(std::to_string(100 - position));
}

void Settings::setPreCapture(int checkState) { assign(preCapture_, checkState, SettingsField::PreCapture); }
void Settings::setStartFrame(std::string value) { assign(startFrame_, std::move(value), SettingsField::StartFrame); }
void Settings::setStopFrame(std::string value) { assign(stopFrame_, std::move(value), SettingsField::StopFrame); }
void Settings::setAviPath(std::string value) { assign(aviPath_, std::move(value), SettingsField::AviPath); }
void Settings::setFrameRate(std::string value) { assign(frameRate_, std::move(value), SettingsField::FrameRate); }
void Settings::setUseFrameRange(int checkState) { assign(useFrameRange_, checkState, SettingsField::UseFrameRange); }
void Settings::setOutputNameMode(OutputNameMode value) { assign(outputNameMode_, value, SettingsField::OutputNameMode); }
void Settings::setOutputName(std::string value) { assign(outputName_, std::move(value), SettingsField::OutputName); }

void Settings::addObserver(SettingsObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Settings::removeObserver(SettingsObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

std::string normaliseFrameText(const std::string& text) {
    std::optional<double> number = parseNumber(text);
    if (!number) return text;
    return wholeNumberText(std::fabs(std::floor(*number)));
}

FrameRangeVerdict checkFrameRange(Settings& settings, bool suppressErrors) {
    auto stopBelowStart = [&] { return leadingNumber(settings.stopFrame()) < leadingNumber(settings.startFrame()); };
    if (!stopBelowStart()) return FrameRangeVerdict::Fine;
    if (suppressErrors) {
        settings.setStopFrame(settings.startFrame());
        return FrameRangeVerdict::StopSetToStart;
    }
    return FrameRangeVerdict::AskToCorrect;
}

}  // namespace kelmora
