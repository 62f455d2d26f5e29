// Feeds arbitrary bytes to the settings reader as the text of kelmora.ini, then writes it back out
// as text and reads that again: whatever was read must survive its own round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelmora::SilentMessageSink sink;
    kelmora::Settings settings("/opt/kelmora");
    kelmora::loadIniText(settings, std::string_view(reinterpret_cast<const char*>(data), size), sink);
    const std::string written = kelmora::iniText(settings);
    kelmora::Settings again("/opt/kelmora");
    kelmora::loadIniText(again, written, sink);
    if (kelmora::iniText(again) != written) std::abort();
    return 0;
}
