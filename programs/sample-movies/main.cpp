// kelmora-sample-movies FOLDER: writes blank.swf and sample.swf into FOLDER.
// kelmora-sample-movies --colours FILE FRAMES FPS W H: a movie of solid-colour frames (tests).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SampleMovies.h"

using namespace kelmora;

static bool write(const std::string& path, const swf::Bytes& bytes) {
    FILE* file = std::fopen((path + ".part").c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok && std::rename((path + ".part").c_str(), path.c_str()) == 0;
}

int main(int argc, char** argv) {
    if (argc == 7 && std::string(argv[1]) == "--colours") {
        return write(argv[2], samples::colourFramesMovie(std::atoi(argv[3]), std::atof(argv[4]), std::atoi(argv[5]),
                                                         std::atoi(argv[6])))
                   ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelmora-sample-movies FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!write(folder + "/blank.swf", samples::blankMovie()) || !write(folder + "/sample.swf", samples::sampleMovie())) {
        std::fprintf(stderr, "kelmora-sample-movies: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
