#include "app/CommandLine.h"

#include <cmath>

#include "util/TextNumber.h"

namespace kelmora::app {
namespace {

size_t findNoCase(const std::string& text, const std::string& what, size_t from = 0) {
    std::string lower = toLower(text), needle = toLower(what);
    return lower.find(needle, from);
}

// Cuts every occurrence, ignoring case.
bool removeAll(std::string& text, const std::string& what) {
    if (what.empty()) return false;
    bool found = false;
    for (size_t at; (at = findNoCase(text, what)) != std::string::npos;) {
        text.erase(at, what.size());
        found = true;
    }
    return found;
}

// The argument of a valued switch: up to the next blank, or the rest of the line.
bool valuedSwitch(const std::string& line, const std::string& name, std::string& argument) {
    size_t at = findNoCase(line, name);
    if (at == std::string::npos) return false;
    size_t begin = at + name.size();
    size_t blank = line.find(' ', begin);
    argument = line.substr(begin, blank == std::string::npos ? std::string::npos : blank - begin);
    return true;
}

// A numeric switch: the number cut down to a whole 16-bit number, or nothing when the argument
// is not a number (the switch is then dropped).
bool numericSwitch(std::string& line, const std::string& name, std::string& value) {
    std::string argument;
    if (!valuedSwitch(line, name, argument)) return false;
    std::optional<double> number = parseNumber(argument);
    if (!number) {
        removeAll(line, name + argument);
        return false;
    }
    value = std::to_string(toInt16Saturated(std::floor(*number)));
    removeAll(line, name + value);
    return true;
}

bool endsWithSwf(const std::string& arg) {
    return arg.size() >= 4 && toLower(arg.substr(arg.size() - 4)) == ".swf";
}

}  // namespace

std::string movieArgument(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        if (endsWithSwf(arg)) return arg;
    return {};
}

void applySwitches(StartupFields& fields, const std::vector<std::string>& args, Settings& settings,
                   MessageSink& messages, const std::function<bool(const std::string&)>& fileExists,
                   const std::function<void()>& outputNameCheck) {
    // The movie argument is kept out of the switch search, so switch-like text in its path
    // stays its own; its place still leaves the blank behind a switch before it.
    std::string movie = movieArgument(args);
    std::string line;
    bool movieSeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) line += ' ';
        if (!movieSeen && args[i] == movie && !movie.empty()) {
            movieSeen = true;
            continue;
        }
        line += args[i];
    }

    fields.suppressErrors = removeAll(line, "/s ");
    if (removeAll(line, "/bmp ")) settings.setFormat(PictureFormat::Bmp);
    if (removeAll(line, "/jpg ")) settings.setFormat(PictureFormat::Jpg);
    std::string value;
    if (numericSwitch(line, "/q:", value)) settings.setQuality(value);
    std::string name;
    if (valuedSwitch(line, "/o:", name)) {
        std::string trimmed = trim(name);
        removeAll(line, "/o:" + trimmed);
        settings.setOutputNameMode(OutputNameMode::Define);
        settings.setOutputName(trimmed);
        if (outputNameCheck) outputNameCheck();
    }
    settings.setStartFrame("1");
    if (numericSwitch(line, "/start:", value)) {
        settings.setUseFrameRange(kChecked);
        settings.setStartFrame(value);
        settings.setStopFrame("9999");
    }
    if (numericSwitch(line, "/stop:", value)) {
        settings.setUseFrameRange(kChecked);
        settings.setStopFrame(value);
    }
    settings.setPreCapture(removeAll(line, "/p ") ? kChecked : kUnchecked);

    if (!movie.empty()) {
        if (fileExists(movie)) {
            fields.commandSourceFile = movie;
        } else {
            if (!fields.suppressErrors)
                messages.show({"", "Can't open source file '" + movie + "'.", MessageIcon::Warning, MessageButtons::Ok});
            fields.commandSourceFile = kQuitMarker;
        }
    }
    fields.commandLine = trim(line);
}

}  // namespace kelmora::app
