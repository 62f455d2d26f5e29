#pragma once
// "&Auto Wrap Movie (build container movie)": asks for a movie and a frame count, writes
// "kelmora-container.swf" beside the movie, reads it back and rewrites it with another byte
// adjustment (0, then 1, then -1) until the read-back matches.
#include <optional>
#include <string>

#include "app/extras/MovieProperties.h"
#include "swf/ContainerMovie.h"
#include "swf/MovieInfo.h"
#include "util/Result.h"

namespace kelmora::app {

// What the command needs from the main window.
class ContainerCommandHost {
public:
    virtual ~ContainerCommandHost() = default;
    // Clears movieUnreadable, sets passiveInfoMode and runs Read File Info (file dialog, header read
    // with infoOnly, labels, dialog prefill or the dialog itself for a compressed movie). Returns the
    // full path the main window's file dialog holds afterwards; empty: none.
    virtual std::string readFileInfoPassive() = 0;
    virtual bool movieUnreadable() const = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                               const std::string& defaultAnswer) = 0;
    // writeContainerSwf with the main window's message boxes and clipboard. false: the user would
    // not have an existing file replaced; the command then ends.
    virtual Result<bool> writeContainer(const std::string& path, const swf::ContainerMovieArgs& args,
                                        bool overwriteSilently) = 0;
    // readSwfHeader of the written file with infoOnly; the host may size its windows to it. Nothing
    // when the file could not be read as a movie.
    virtual std::optional<swf::MovieInfo> readBack(const std::string& path) = 0;
};

inline constexpr const char* kContainerFileName = "kelmora-container.swf";

std::string frameCountPrompt();

// The writer's arguments from the dialog's values, or the message naming the first wrong value.
Result<swf::ContainerMovieArgs> containerArgs(const MovieProperties& props);

struct ContainerRun {
    int attempts = 0;      // files written (or attempted)
    bool passed = false;   // the last read-back matched
    std::string path;      // the container's path; empty when the command ended early
};

ContainerRun runContainerCommand(ContainerCommandHost& host, MovieProperties& props, MovieInfoLabels& labels,
                                 MessageSink& messages);

}  // namespace kelmora::app
