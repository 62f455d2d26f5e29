#pragma once
// The test of a user-defined output name that names a folder: can a file be written there?
#include <string>

#include "settings/Settings.h"
#include "util/MessageSink.h"

namespace kelmora::app {

inline constexpr const char* kWrongFileName = "error_wrong_filename_or_path";

// Writes and deletes a probe file beside the name. An existing "<name>_test" file is warned
// about and left alone: the probe then uses another name. A failure shows the "Error: " message,
// or with errors suppressed replaces the name by kWrongFileName.
void checkOutputName(Settings& settings, bool suppressErrors, MessageSink& messages);

}  // namespace kelmora::app
