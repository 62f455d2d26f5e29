#pragma once
// The settings record of the running program. Every change goes through a setter, which applies
// the preferences dialog's rules (quality normalisation, the quality scroll bar) and tells the
// observers, so a change made anywhere is in force at once everywhere, dialog hidden or not.
#include <string>
#include <vector>

namespace kelmora {

enum class PictureFormat { Bmp, Jpg, Avi };
enum class OutputNameMode { DeriveFromSource, Define };

// Check states as the check boxes keep them.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;

enum class SettingsField {
    SwfPath, Format, Quality, QualityScroll, PreCapture, StartFrame, StopFrame, AviPath, FrameRate,
    UseFrameRange, OutputNameMode, OutputName,
};

// The preferences dialog (and anything else that shows settings) listens here.
class SettingsObserver {
public:
    virtual ~SettingsObserver() = default;
    virtual void settingChanged(SettingsField field) = 0;
};

class Settings {
public:
    // programFolder: the program's own folder without a trailing "/", the default of swfPath.
    explicit Settings(std::string programFolder = {});
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    const std::string& programFolder() const { return programFolder_; }

    const std::string& swfPath() const { return swfPath_; }
    PictureFormat format() const { return format_; }
    const std::string& quality() const { return quality_; }
    int qualityScrollPosition() const { return qualityScroll_; }  // 0 (top, quality 100) to 100
    int preCapture() const { return preCapture_; }
    const std::string& startFrame() const { return startFrame_; }
    const std::string& stopFrame() const { return stopFrame_; }
    const std::string& aviPath() const { return aviPath_; }
    const std::string& frameRate() const { return frameRate_; }
    int useFrameRange() const { return useFrameRange_; }
    OutputNameMode outputNameMode() const { return outputNameMode_; }
    const std::string& outputName() const { return outputName_; }

    void setSwfPath(std::string value);
    void setFormat(PictureFormat value);
    // Quality text as typed: a number is cut to a whole number and kept within 0 to 100, and
    // moves the scroll bar to 100 minus it; a text that is no number stays as typed.
    void setQuality(std::string value);
    // The scroll bar moved: quality becomes 100 minus the position (positions kept within 0 to 100).
    void setQualityScrollPosition(int position);
    void setPreCapture(int checkState);
    void setStartFrame(std::string value);
    void setStopFrame(std::string value);
    void setAviPath(std::string value);
    void setFrameRate(std::string value);
    void setUseFrameRange(int checkState);
    void setOutputNameMode(OutputNameMode value);
    void setOutputName(std::string value);

    // Which of the dialog's controls are enabled.
    bool qualityControlsEnabled() const { return format_ != PictureFormat::Bmp; }
    bool outputNameControlsEnabled() const { return outputNameMode_ == OutputNameMode::Define; }
    bool frameRangeControlsEnabled() const { return useFrameRange_ == kChecked; }

    void addObserver(SettingsObserver* observer);
    void removeObserver(SettingsObserver* observer);

private:
    void changed(SettingsField field);
    template <class T>
    void assign(T& field, T value, SettingsField which);

    std::string programFolder_;
    std::string swfPath_;
    PictureFormat format_ = PictureFormat::Jpg;
    std::string quality_ = "100";
    int qualityScroll_ = 0;
    int preCapture_ = kUnchecked;
    std::string startFrame_ = "1";
    std::string stopFrame_ = "25";
    std::string aviPath_;
    std::string frameRate_ = "12";
    int useFrameRange_ = kUnchecked;
    OutputNameMode outputNameMode_ = OutputNameMode::DeriveFromSource;
    std::string outputName_ = "output-file-name";
    std::vector<SettingsObserver*> observers_;
};

// Leaving the start or stop frame box: a number is cut to a whole number and made positive
// ("-2.5" -> "3"); any other text comes back unchanged.
std::string normaliseFrameText(const std::string& text);

// The frame range check when the dialog loses activation. Both texts are read by their leading
// number (no number counts as 0).
enum class FrameRangeVerdict {
    Fine,
    StopSetToStart,  // errors suppressed: the stop frame silently became the start frame
    AskToCorrect,    // the dialog asks kFrameRangeQuestion; Yes sets the stop frame to the start frame
};
FrameRangeVerdict checkFrameRange(Settings& settings, bool suppressErrors);
inline constexpr const char* kFrameRangeQuestion = "Stopframe can't be lower than Startframe!\r\n\r\nAutokorrekt value?";

}  // namespace kelmora
