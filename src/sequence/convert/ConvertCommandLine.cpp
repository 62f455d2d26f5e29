#include "sequence/convert/ConvertCommandLine.h"

#include <cmath>

#include "util/TextNumber.h"

namespace kelmora::convert {

const char* const kConvertUsage =
    "usage: kelmora-render [options] MOVIE.swf... | FOLDER\n"
    "       kelmora-render --frames N --png OUT.png [--trace OUT.txt] MOVIE.swf\n"
    "\n"
    "Plays each movie frame by frame, as fast as the machine allows, and writes every frame as a\n"
    "picture file or into a video. A folder stands for the .swf files in it.\n"
    "\n"
    "Pictures and video:\n"
    "  --out PATTERN        picture files: .bmp, .jpg or .png; %d or %04d is the frame number,\n"
    "                       {name} the movie's name (default: MOVIE.swf_0001.jpg beside the movie)\n"
    "  --quality Q          JPEG quality, 0 to 100 (default 100)\n"
    "  --video FILE         .avi, .mp4, .mkv or .webm, with the movie's sound ({name} as above)\n"
    "  --codec C            video codec: raw, mjpeg, ffv1, mpeg4, h264, vp8, vp9\n"
    "  --video-quality Q    0 (smallest) to 100 (best; default 75)\n"
    "  --audio-codec C      pcm, aac, mp3, opus, vorbis, flac\n"
    "  --no-audio           no sound track\n"
    "Frames and size:\n"
    "  --frames A-B         frames A to B (1-based); N, A- (to the end) and all (default)\n"
    "  --scale S            the movie's size times S (vectors drawn at that size)\n"
    "  --size WxH           this size; the movie is fitted in, centred\n"
    "  --transparent        no stage colour: PNG pictures with alpha\n"
    "  --supersample N      draw N times larger and average down (smoother edges)\n"
    "The end of a movie:\n"
    "  --hold SECONDS       follow a stopped main timeline this long while clips animate (default 0)\n"
    "  --max-frames N       stop a movie that loops forever after N frames (default 65535)\n"
    "  --timeout SECONDS    give up on a movie after this long (default: never)\n"
    "  --script-limit N     actions one script may run before it is stopped and the movie fails\n"
    "Running:\n"
    "  --jobs N             threads writing frames (default: every core); a folder's movies run\n"
    "                       this many at a time\n"
    "  --progress bar|json|none  a bar on a terminal (default), or one JSON line per movie and second\n"
    "  --help               this text\n"
    "\n"
    "One picture: --frames N --png OUT.png plays N frames and writes what the stage shows then;\n"
    "--trace OUT.txt gets the trace() lines of the movie's scripts.\n"
    "\n"
    "Exit status: 0 when every movie was converted, 1 when one failed, 2 on a wrong command line.\n";

namespace {

std::optional<long> wholeNumber(const std::string& text, long low, long high) {
    auto n = parseNumber(text);
    if (!n || *n != std::floor(*n) || *n < double(low) || *n > double(high)) return std::nullopt;
    return long(*n);
}

std::optional<double> positiveNumber(const std::string& text, double low, double high) {
    auto n = parseNumber(text);
    if (!n || !(*n >= low && *n <= high)) return std::nullopt;
    return *n;
}

}  // namespace

Result<FrameRange> parseFrameRange(const std::string& text) {
    const std::string t = trim(text);
    if (toLower(t) == "all") return FrameRange{};
    const size_t dash = t.find('-');
    constexpr long kMost = 10000000;
    auto bad = [&] { return makeError("--frames takes all, N, A-B or A- (frames from 1), not \"" + text + "\""); };
    if (dash == std::string::npos) {
        auto n = wholeNumber(t, 1, kMost);
        if (!n) return bad();
        return FrameRange{int(*n), int(*n)};
    }
    auto a = wholeNumber(t.substr(0, dash), 1, kMost);
    if (!a) return bad();
    if (dash + 1 == t.size()) return FrameRange{int(*a), std::nullopt};
    auto b = wholeNumber(t.substr(dash + 1), 1, kMost);
    if (!b || *b < *a) return bad();
    return FrameRange{int(*a), int(*b)};
}

Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    ConvertOptions& o = cl.options;
    std::string framesText;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        auto take = [&](const char* what) -> Status {
            if (i + 1 >= args.size()) return makeError(arg + " needs " + what);
            value = args[++i];
            return {};
        };
#define TAKE(what)                                  \
    if (Status st = take(what); !st) return st.error()
        if (arg == "--help" || arg == "-h") {
            cl.help = true;
        } else if (arg == "--frames") {
            TAKE("frames");
            framesText = value;
        } else if (arg == "--png") {
            TAKE("a file name");
            cl.picture.pngPath = value;
            cl.onePicture = true;
        } else if (arg == "--trace") {
            TAKE("a file name");
            cl.picture.tracePath = value;
            cl.onePicture = true;
        } else if (arg == "--out") {
            TAKE("a file name pattern");
            o.outPattern = value;
        } else if (arg == "--quality") {
            TAKE("a number");
            auto q = wholeNumber(value, 0, 100);
            if (!q) return makeError("--quality needs a number from 0 to 100");
            o.quality = int(*q);
        } else if (arg == "--video") {
            TAKE("a file name");
            o.videoPath = value;
        } else if (arg == "--codec") {
            TAKE("a codec name");
            o.videoCodec = toLower(value);
        } else if (arg == "--video-quality") {
            TAKE("a number");
            auto q = wholeNumber(value, 0, 100);
            if (!q) return makeError("--video-quality needs a number from 0 to 100");
            o.videoQuality = int(*q);
        } else if (arg == "--audio-codec") {
            TAKE("a codec name");
            o.audioCodec = toLower(value);
        } else if (arg == "--no-audio") {
            o.audio = false;
        } else if (arg == "--scale") {
            TAKE("a number");
            auto s = positiveNumber(value, 0.01, 100);
            if (!s) return makeError("--scale needs a number from 0.01 to 100");
            o.scale = *s;
        } else if (arg == "--size") {
            TAKE("WIDTHxHEIGHT");
            const size_t x = toLower(value).find('x');
            auto w = x == std::string::npos ? std::nullopt : wholeNumber(value.substr(0, x), 1, 16384);
            auto h = x == std::string::npos ? std::nullopt : wholeNumber(value.substr(x + 1), 1, 16384);
            if (!w || !h) return makeError("--size needs WIDTHxHEIGHT in pixels (1 to 16384), like 1280x720");
            o.width = int(*w);
            o.height = int(*h);
        } else if (arg == "--transparent") {
            o.transparent = true;
        } else if (arg == "--supersample") {
            TAKE("a number");
            auto n = wholeNumber(value, 1, 8);
            if (!n) return makeError("--supersample needs a number from 1 to 8");
            o.supersample = int(*n);
        } else if (arg == "--hold") {
            TAKE("seconds");
            auto s = positiveNumber(value, 0, 86400);
            if (!s) return makeError("--hold needs seconds from 0 to 86400");
            o.holdSeconds = *s;
        } else if (arg == "--max-frames") {
            TAKE("a number");
            auto n = wholeNumber(value, 1, 10000000);
            if (!n) return makeError("--max-frames needs a number from 1 to 10000000");
            o.maxFrames = int(*n);
        } else if (arg == "--timeout") {
            TAKE("seconds");
            auto s = positiveNumber(value, 0, 1e7);
            if (!s) return makeError("--timeout needs seconds (0 for none)");
            o.timeoutSeconds = *s;
        } else if (arg == "--script-limit") {
            TAKE("a number");
            auto n = wholeNumber(value, 1, 1000000000000L);
            if (!n) return makeError("--script-limit needs a number of actions from 1 up");
            o.scriptActionLimit = uint64_t(*n);
        } else if (arg == "--jobs" || arg == "-j") {
            TAKE("a number");
            auto n = wholeNumber(value, 1, 256);
            if (!n) return makeError("--jobs needs a number from 1 to 256");
            o.jobs = int(*n);
        } else if (arg == "--progress") {
            TAKE("bar, json or none");
            const std::string v = toLower(value);
            if (v == "bar") o.progress = ProgressMode::Bar;
            else if (v == "json") o.progress = ProgressMode::Json;
            else if (v == "none") o.progress = ProgressMode::None;
            else return makeError("--progress takes bar, json or none");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return makeError("unknown option " + arg);
        } else {
            cl.inputs.push_back(arg);
        }
#undef TAKE
    }
    if (cl.help) return cl;
    if (cl.inputs.empty()) return makeError("no movie given");
    if (cl.onePicture) {
        if (cl.inputs.size() > 1) return makeError("only one movie at a time with --png");
        if (!framesText.empty()) {
            auto n = wholeNumber(framesText, 1, 1000000);
            if (!n) return makeError("--frames needs a number from 1 to 1000000");
            cl.picture.frames = *n;
        }
        return cl;
    }
    if (!framesText.empty()) {
        auto range = parseFrameRange(framesText);
        if (!range) return range.error();
        o.frames = *range;
    }
    return cl;
}

}  // namespace kelmora::convert
