#include "swf/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kelmora {

namespace {

Error failure(const char* step, const std::string& path, int err) {
    return makeError(std::string(step) + " " + path + ": " + std::strerror(err), err);
}

}  // namespace

Status writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    std::string tmpl = path + ".tmp-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return failure("cannot create a file beside", path, errno);
    const std::string tempPath(name.data());

    // A replaced file keeps its permissions; a new one is readable by everyone, as files normally are.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    int err = 0;
    size_t done = 0;
    while (done < bytes.size() && err == 0) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR) err = errno;
        } else {
            done += static_cast<size_t>(n);
        }
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(tempPath.c_str());
        return failure("cannot write", path, err);
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(tempPath.c_str());
        return failure("cannot replace", path, err);
    }
    return Status::success();
}

}  // namespace kelmora
