#include "capture/FrameNaming.h"

#include <cstdio>

namespace kelmora::capture {

bool namesFolder(const std::string& outputName) {
    return outputName.find_first_of(":/\\") != std::string::npos;
}

std::string fileTitle(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string frameFileName(const Settings& settings, const std::string& moviePath, int k) {
    char number[16];
    std::snprintf(number, sizeof number, "_%04d", k);
    std::string base;
    if (settings.outputNameMode() == OutputNameMode::DeriveFromSource)
        base = settings.swfPath() + fileTitle(moviePath);
    else if (namesFolder(settings.outputName()))
        base = settings.outputName();
    else
        base = settings.swfPath() + settings.outputName();
    return base + number + (settings.format() == PictureFormat::Bmp ? ".bmp" : ".jpg");
}

}  // namespace kelmora::capture
