#pragma once
// Converts a list of movies, several at a time, each on its own thread, sharing one pool of
// picture writers. A movie that fails is reported with its reason and the others go on.
#include <string>
#include <vector>

#include "sequence/convert/ConvertOptions.h"
#include "sequence/convert/MovieConverter.h"
#include "util/Result.h"

namespace kelmora::convert {

class ProgressReport;

struct BatchResult {
    std::vector<MovieResult> movies;  // in the order given
    bool allOk() const;
};

// Arguments to movies: a folder gives its .swf files (any case, not its subfolders), sorted by
// name; a file is taken as it is. Missing paths are refused.
Result<std::vector<std::string>> gatherMovies(const std::vector<std::string>& arguments);

// Checks what a run cannot start without: names that keep movies apart, usable formats.
Status checkOptions(const ConvertOptions& options, size_t movieCount);

BatchResult convertMovies(const std::vector<std::string>& movies, const ConvertOptions& options,
                          ProgressReport* progress = nullptr);

}  // namespace kelmora::convert
