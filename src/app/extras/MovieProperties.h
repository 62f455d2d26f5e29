#pragma once
// The values of the Movie Properties dialog without its widgets: what the header reader fills in,
// what the container command writes from, and the checks of the dialog's Ok button.
#include <cstdint>
#include <optional>
#include <string>

#include "swf/SwfHeader.h"
#include "util/MessageSink.h"

namespace kelmora::app {

// The main window's movie information labels, which the app implements.
enum class InfoLabel { Version, Size, Width, Height, FrameRate, FrameCount };
class MovieInfoLabels {
public:
    virtual ~MovieInfoLabels() = default;
    virtual std::string label(InfoLabel which) const = 0;
    virtual void setLabel(InfoLabel which, const std::string& text) = 0;
};
// Writes all label texts of a read header (the main window does the same on its own reads).
void showMovieInfo(const swf::MovieInfo& info, MovieInfoLabels& labels);

enum class PropertyField { Width, Height, FrameRate, FrameCount };

struct MovieProperties {
    std::string signature = "FWS";
    std::string version = "6";
    std::string width = "?", height = "?";  // "?" from the dialog's creation on
    std::string frameRate = "1";
    std::string frameCount = "?";
    std::string movieFileName = "someFastMovieSample.swf";
    bool hatched = true;  // no background colour chosen yet
    uint8_t red = 0, green = 0, blue = 0;

    std::string& field(PropertyField f);
    void apply(const swf::MoviePropertiesPrefill& prefill);
};

// The Ok button: each number field becomes its leading number rounded down; the first one that is
// 0 or less (or a hatched swatch) gives its message and stops. Returns the field to focus, or
// nothing when the values were taken into the labels (accepted is then true).
struct OkResult {
    bool accepted = false;
    std::optional<PropertyField> focus;
};
OkResult acceptMovieProperties(MovieProperties& props, MessageSink& messages, MovieInfoLabels& labels);

}  // namespace kelmora::app
