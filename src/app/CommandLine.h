#pragma once
// The command line: switches become settings, a movie path starts a batch run.
#include <functional>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "util/MessageSink.h"

namespace kelmora::app {

// The start-up fields every part of the program reads.
struct StartupFields {
    std::string commandLine;        // the arguments joined with blanks; recognised switches cut out
    bool suppressErrors = false;    // "/s "
    std::string commandSourceFile;  // the movie of a batch run, "[QUIT]" when it is missing, or empty
};

inline constexpr const char* kQuitMarker = "[QUIT]";

// The movie: the first argument ending in ".swf" (any case), taken whole, blanks included.
// Empty when there is none.
std::string movieArgument(const std::vector<std::string>& args);

// Applies the switches of a non-empty command line in their fixed order. outputNameCheck runs
// after "/o:" set the name (the preferences dialog's test of the name).
void applySwitches(StartupFields& fields, const std::vector<std::string>& args, Settings& settings,
                   MessageSink& messages, const std::function<bool(const std::string&)>& fileExists,
                   const std::function<void()>& outputNameCheck);

}  // namespace kelmora::app
