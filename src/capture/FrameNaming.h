#pragma once
// Names of the frame files.
#include <string>

#include "settings/Settings.h"

namespace kelmora::capture {

// True when a user-defined output name names a folder or drive and is used unchanged.
bool namesFolder(const std::string& outputName);

// The file name of frame k (1-based) with its extension: derived from the movie's file name in
// the movie's folder (swfPath), or the user's output name.
std::string frameFileName(const Settings& settings, const std::string& moviePath, int k);

// The part of a path after its last "/".
std::string fileTitle(const std::string& path);
// The part of a path up to and including its last "/"; empty without one.
std::string folderOf(const std::string& path);

}  // namespace kelmora::capture
