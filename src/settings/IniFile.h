#pragma once
// The settings file kelmora.ini: key=value lines, read once at start-up and written once on quitting.
#include <string>
#include <string_view>

#include "settings/Settings.h"
#include "util/MessageSink.h"

namespace kelmora {

inline constexpr const char* kSettingsFileName = "kelmora.ini";

// Reads the settings file into the record: swfPath first becomes the program's folder, then
// each line is applied in turn through the setters. Keys match without regard to case; values
// are lower-cased, except the two folder paths (swfpath=, avipath=), since file names are
// case-sensitive here. Unknown lines show the "Unknown parameter" notice; a missing file, a
// read error or a value that does not convert ends the reading with the "loadIni" message.
void loadIni(Settings& settings, const std::string& path, MessageSink& messages);

// The same for the file's text (lines ended by CR LF or LF); what loadIni does after reading.
void loadIniText(Settings& settings, std::string_view text, MessageSink& messages);

// The eight stored fields as the file holds them, lines ended by CR LF.
std::string iniText(const Settings& settings);

// Writes the settings file whole or not at all (a failed write keeps the old file) and shows
// the "writeIni" message on failure.
void writeIni(const Settings& settings, const std::string& path, MessageSink& messages);

// Where kelmora.ini lives: in the program's folder when that folder already holds one or can
// be written (a portable install), otherwise in <config>/kelmora/, where <config> is
// $XDG_CONFIG_HOME when it is an absolute path and ~/.config otherwise.
std::string settingsFilePath(const std::string& programFolder, const char* xdgConfigHome, const char* home);
// The same from the environment; creates the configuration folder when it is chosen, so that
// writeIni can create the file on the first run.
std::string settingsFilePath(const std::string& programFolder);

}  // namespace kelmora
