// Local media files that scripts stream (NetStream.play): read whole from beside the movie.
#include <fstream>

#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

namespace {
constexpr std::streamoff kMaxMediaFile = 256 << 20;
}

bool ScriptEngine::readMediaFile(ClipId from, std::string_view url, std::vector<uint8_t>& bytes) {
    std::string path;
    if (!resolveMoviePath(folderOf(from ? from : level(0)), url, path)) return false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxMediaFile) return false;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace kelmora::player::script
