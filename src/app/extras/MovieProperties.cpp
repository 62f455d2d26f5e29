#include "app/extras/MovieProperties.h"

#include <cmath>
#include <cstdio>

#include "util/TextNumber.h"

namespace kelmora::app {

void showMovieInfo(const swf::MovieInfo& info, MovieInfoLabels& labels) {
    const swf::MovieInfoTexts t = swf::movieInfoTexts(info);
    labels.setLabel(InfoLabel::Version, t.version);
    labels.setLabel(InfoLabel::Size, t.size);
    labels.setLabel(InfoLabel::Width, t.width);
    labels.setLabel(InfoLabel::Height, t.height);
    labels.setLabel(InfoLabel::FrameRate, t.frameRate);
    labels.setLabel(InfoLabel::FrameCount, t.frameCount);
}

std::string& MovieProperties::field(PropertyField f) {
    switch (f) {
    case PropertyField::Width: return width;
    case PropertyField::Height: return height;
    case PropertyField::FrameRate: return frameRate;
    case PropertyField::FrameCount: break;
    }
    return frameCount;
}

void MovieProperties::apply(const swf::MoviePropertiesPrefill& p) {
    version = p.version;
    width = p.width;
    height = p.height;
    frameRate = p.frameRate;
    if (p.frameCountSet) frameCount = p.frameCount;
    movieFileName = p.movieFileName;
    if (p.setColour) {
        red = p.red;
        green = p.green;
        blue = p.blue;
    }
    if (p.makeHatched) hatched = true;
}

OkResult acceptMovieProperties(MovieProperties& props, MessageSink& messages, MovieInfoLabels& labels) {
    struct Check { PropertyField field; const char* text; };
    static const Check checks[] = {
        {PropertyField::Width, "You must specify a proper movie width"},
        {PropertyField::Height, "You must specify a proper movie height"},
        {PropertyField::FrameRate, "You must specify a proper frame rate"},
        {PropertyField::FrameCount, "You must specify a proper frame count"},
    };
    for (const Check& c : checks) {
        std::string& text = props.field(c.field);
        const double number = std::floor(leadingNumber(text));
        char digits[400];
        std::snprintf(digits, sizeof digits, "%.0f", number);
        text = digits;
        if (number <= 0) {
            messages.show({"", c.text, MessageIcon::Information, MessageButtons::Ok});
            return {false, c.field};
        }
    }
    if (props.hatched) {
        messages.show({"", "You must specify a background color", MessageIcon::Information, MessageButtons::Ok});
        return {false, std::nullopt};
    }
    labels.setLabel(InfoLabel::Version, props.version);
    labels.setLabel(InfoLabel::Size, "");
    labels.setLabel(InfoLabel::FrameRate, props.frameRate);
    labels.setLabel(InfoLabel::Width, props.width);
    labels.setLabel(InfoLabel::Height, props.height);
    labels.setLabel(InfoLabel::FrameCount, props.frameCount);
    return {true, std::nullopt};
}

}  // namespace kelmora::app
