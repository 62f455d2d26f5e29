#pragma once
// The Pictures window's "&Write AVI..." command: the save dialog, the compressor choice, then
// every list entry in order as one frame, with the window's preview and status following along.
#include <string>

#include "sequence/Compressor.h"
#include "util/MessageSink.h"

namespace kelmora {

class FileDialog;
class PictureList;
class Settings;

inline constexpr const char* kSaveAviTitle = "Choose a filename to save AVI to...";
inline constexpr const char* kAviFilter = "AVI Files (*.avi)|*.avi";
inline constexpr const char* kWriteErrorText = "There was an error writing the file.";
inline constexpr const char* kFirstBitmapText = "Could not load first bitmap file in list!";
inline constexpr const char* kEmptyListText = "The list holds no pictures to write.";

// What the window does while the command runs.
class WriteAviView {
public:
    virtual ~WriteAviView() = default;
    // The list's selection moved to the frame being written: show it and repaint at once.
    virtual void selectionShown() = 0;
    virtual void statusShown(const std::string& text) = 0;
};

struct WriteAviTools {
    FileDialog& files;
    CompressorDialog& compressors;
    MessageSink& messages;
    WriteAviView& view;
};

// compressor: the choice the dialog starts with, and afterwards the one the user made.
void writeAvi(PictureList& list, const std::string& frameRateText, Settings& settings, CompressorChoice& compressor,
              const WriteAviTools& tools);

}  // namespace kelmora
