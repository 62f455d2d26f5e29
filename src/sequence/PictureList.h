#pragma once
// The Pictures window's rules without its widgets: the list of picture files, the reference
// format every picture must share, sorting, moving, removing, the preview's picture, the state
// of the Clear and Write buttons, and the frame-rate box with its scroll bar.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/MessageSink.h"

namespace kelmora {

class Settings;

inline constexpr const char* kAddImagesTitle = "Choose Bitmap files to add to video stream.. (Multiselect)";
inline constexpr const char* kBitmapFilter = "Bitmaps (*.bmp)|*.bmp|All Files (*.*)|*.*";
inline constexpr const char* kDifferentFormatText =
    "Chosen bitmap file is a different format.\r\n\r\nBitmaps must have same width and height.";
inline constexpr const char* kRemoveQuestion = "Remove selected image from list?";

struct ReferenceFormat {
    bool set = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
};

class PictureList {
public:
    // A new list starts without a reference format, each time the window opens.
    PictureList(Settings& settings, MessageSink& messages);

    const std::vector<std::string>& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }
    int selected() const { return selected_; }  // -1: none
    // Selecting shows the entry in the preview; out of range selects nothing.
    void select(int index);
    const std::string& previewPath() const { return previewPath_; }
    const ReferenceFormat& reference() const { return reference_; }
    bool clearAndWriteEnabled() const { return clearAndWriteEnabled_; }

    // Adds the pictures named by the multi-select dialog's text (one full path, or the folder
    // and the names, CR LF separated). Unreadable files are reported by the bitmap reader and
    // skipped; pictures of another size or depth are refused with a message.
    void addSelection(const std::string& selection);
    void addPicture(const std::string& path);
    void clear();
    // Exchange sort by the paths' bytes; `betweenPasses` runs after each pass (the window lets
    // its events run there). The selection index stays.
    void sort(const std::function<void()>& betweenPasses = {});
    void moveUp();
    void moveDown();
    // Asks first; nothing happens without a selection.
    void removeSelected();

private:
    Settings& settings_;
    MessageSink& messages_;
    std::vector<std::string> entries_;
    int selected_ = -1;
    std::string previewPath_;
    ReferenceFormat reference_;
    bool clearAndWriteEnabled_ = false;
};

// The frame-rate box and its scroll bar (0 at the top is 99 frames per second).
struct FrameRateBox {
    std::string text;
    int scroll = 0;
};

// The box text changed: a number becomes its whole part within 1 to 99, the scroll bar follows
// and the settings take the text. Nothing when the text is no number (it stays as typed).
std::optional<FrameRateBox> frameRateTyped(const std::string& text, Settings& settings);
// The scroll bar moved to `value` (0 to 99).
FrameRateBox frameRateScrolled(int value, Settings& settings);
// The box as the window opens, from the settings; a setting that is no number gives 12.
FrameRateBox frameRateAtLoad(Settings& settings);
// The rate the writer uses: the box's leading number, rounded half to even, within 1 to 99.
int frameRateForWriting(const std::string& boxText);

}  // namespace kelmora
