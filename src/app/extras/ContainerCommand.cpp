#include "app/extras/ContainerCommand.h"

#include <cmath>
#include <limits>

#include "app/extras/Addresses.h"
#include "swf/SwfHeader.h"
#include "util/TextNumber.h"

namespace kelmora::app {

std::string frameCountPrompt() {
    return std::string("How many frames do you want to convert?") + kCrLf + kCrLf +
           "If you don't know the exact number of frames," + kCrLf + "choose a rather high value. You can stop the" +
           kCrLf + "process anytime.";
}

namespace {

// A whole number in [low, high] (halves to even, like the conversion to a 16-bit integer).
std::optional<int> wholeNumberIn(const std::string& text, int low, int high) {
    const std::optional<double> number = parseNumber(text);
    if (!number || !std::isfinite(*number)) return std::nullopt;
    const double whole = roundHalfEven(*number);
    if (whole < low || whole > high) return std::nullopt;
    return static_cast<int>(whole);
}

}  // namespace

Result<swf::ContainerMovieArgs> containerArgs(const MovieProperties& props) {
    struct Field { const char* name; const std::string& text; int low, high; int swf::ContainerMovieArgs::*slot; };
    const Field fields[] = {
        {"version", props.version, 0, 255, &swf::ContainerMovieArgs::version},
        {"movie width", props.width, 1, 1638, &swf::ContainerMovieArgs::widthPx},
        {"movie height", props.height, 1, 1638, &swf::ContainerMovieArgs::heightPx},
        {"frame rate", props.frameRate, 1, 255, &swf::ContainerMovieArgs::frameRate},
        {"frame count", props.frameCount, 1, 32767, &swf::ContainerMovieArgs::frameCount},
    };
    swf::ContainerMovieArgs args;
    args.signature = props.signature;
    for (const Field& f : fields) {
        const std::optional<int> value = wholeNumberIn(f.text, f.low, f.high);
        if (!value)
            return Error{std::string("The ") + f.name + " \"" + f.text + "\" is not a whole number from " +
                         std::to_string(f.low) + " to " + std::to_string(f.high) + "." + kCrLf +
                         "No container movie was written."};
        args.*f.slot = *value;
    }
    args.red = props.red;
    args.green = props.green;
    args.blue = props.blue;
    args.movieFileName = props.movieFileName;
    return args;
}

ContainerRun runContainerCommand(ContainerCommandHost& host, MovieProperties& props, MovieInfoLabels& labels,
                                 MessageSink& messages) {
    ContainerRun run;
    const std::string moviePath = host.readFileInfoPassive();
    if (moviePath.empty()) return run;

    if (!host.movieUnreadable()) {
        const std::optional<std::string> answer = host.askText("Frame Count", frameCountPrompt(), "100");
        if (!answer) return run;
        const std::optional<double> number = parseNumber(*answer);
        if (!number || !std::isfinite(*number)) return run;
        const double whole = roundHalfEven(*number);
        if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max()) return run;
        props.frameCount = std::to_string(static_cast<int32_t>(whole));
    }

    // "?" or an out-of-range value must not reach the writer.
    Result<swf::ContainerMovieArgs> args = containerArgs(props);
    if (!args) {
        messages.show({"", args.error().message, MessageIcon::Warning, MessageButtons::Ok});
        return run;
    }

    const size_t slash = moviePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : moviePath.substr(0, slash + 1);
    run.path = folder + kContainerFileName;

    // The read-back is compared with the values asked for, which stay the same for every attempt
    // (the read-back overwrites the dialog's width, height and frame rate).
    const std::string wantWidth = std::to_string(args->widthPx), wantHeight = std::to_string(args->heightPx);
    const std::string wantRate = std::to_string(args->frameRate), wantCount = std::to_string(args->frameCount);

    const int adjustments[] = {0, 1, -1};
    bool lastResult = false;
    for (int attempt = 0; attempt < 3 && !run.passed; ++attempt) {
        args->adjustment = adjustments[attempt];
        Result<bool> written = host.writeContainer(run.path, *args, attempt > 0);
        ++run.attempts;
        if (!written) {
            messages.show({"", written.error().message, MessageIcon::Warning, MessageButtons::Ok});
            return run;
        }
        lastResult = *written;
        // Later attempts replace the file without asking: after a No nothing may be written.
        if (!lastResult) return run;
        if (const std::optional<swf::MovieInfo> info = host.readBack(run.path)) {
            showMovieInfo(*info, labels);
            props.apply(swf::prefillFromMovie(*info, props.movieFileName));
        }
        run.passed = labels.label(InfoLabel::FrameCount) == wantCount &&
                     labels.label(InfoLabel::FrameRate) == wantRate &&
                     labels.label(InfoLabel::Height) == wantHeight && labels.label(InfoLabel::Width) == wantWidth;
    }
    if (!run.passed)
        messages.show({"",
                       std::string("Sorry, can't generate header.") + kCrLf + kCrLf + "Please contact " + kSupportMail +
                           kCrLf + "Thank you!",
                       MessageIcon::None, MessageButtons::Ok});
    if (lastResult)
        messages.show({"Container movie generated",
                       "File '" + folder + kContainerFileName + "' generated." + kCrLf + kCrLf +
                           "Now open the container movie (kelmora-container.swf) from your movies folder" + kCrLf +
                           "and convert the wapped movie.",
                       MessageIcon::None, MessageButtons::Ok});
    return run;
}

}  // namespace kelmora::app
