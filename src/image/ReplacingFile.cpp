#include "image/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace kelmora {

Error errnoError(int errorNumber) { return makeError(std::strerror(errorNumber), errorNumber); }

namespace {

std::string folderOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    if (slash == std::string::npos) return "";
    return fileName.substr(0, slash + 1);
}

std::string baseOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string uniqueSuffix() {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = std::random_device{}();
    const uint64_t n = seed ^ (uint64_t(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    uint64_t v = n;
    for (int i = 0; i < 8; ++i, v /= 36) s += digits[v % 36];
    return s;
}

}  // namespace

Result<ReplacingFile> ReplacingFile::open(const std::string& fileName, ReplaceOptions options) {
    ReplacingFile file;
    file.fileName_ = fileName;
    file.keepTimes_ = options.keepTimes;
    if (fileName.empty() || fileName.back() == '/') return errnoError(ENOENT);

    struct stat old {};
    if (::stat(fileName.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return errnoError(EISDIR);
        // A file we may not write stays as it is, as it would if we wrote into it.
        if (::access(fileName.c_str(), W_OK) != 0) return errnoError(errno);
        file.hadOld_ = true;
        file.oldMode_ = old.st_mode & 07777;
        file.oldAtimeSec_ = old.st_atim.tv_sec;
        file.oldAtimeNsec_ = old.st_atim.tv_nsec;
        file.oldMtimeSec_ = old.st_mtim.tv_sec;
        file.oldMtimeNsec_ = old.st_mtim.tv_nsec;
    } else if (errno != ENOENT) {
        return errnoError(errno);
    }

    // Hidden, in the same folder (rename must not cross file systems); 0666 so that a new file
    // gets the user's umask like any other.
    const std::string stem = folderOf(fileName) + "." + baseOf(fileName) + ".part-";
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.tempName_ = stem + uniqueSuffix();
        file.fd_ = ::open(file.tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd_ >= 0) return file;
        if (errno != EEXIST) break;
    }
    const int error = errno;
    file.tempName_.clear();
    return errnoError(error);
}

ReplacingFile::ReplacingFile(ReplacingFile&& o) noexcept
    : fileName_(std::move(o.fileName_)),
      tempName_(std::move(o.tempName_)),
      fd_(o.fd_),
      hadOld_(o.hadOld_),
      keepTimes_(o.keepTimes_),
      oldMode_(o.oldMode_),
      oldAtimeSec_(o.oldAtimeSec_),
      oldAtimeNsec_(o.oldAtimeNsec_),
      oldMtimeSec_(o.oldMtimeSec_),
      oldMtimeNsec_(o.oldMtimeNsec_) {
    o.fd_ = -1;
    o.tempName_.clear();
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
}

Status ReplacingFile::write(const void* data, size_t size) {
    if (fd_ < 0) return errnoError(EBADF);
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError(errno);
        }
        if (n == 0) return errnoError(EIO);
        p += n;
        size -= size_t(n);
    }
    return Status::success();
}

Status ReplacingFile::commit() {
    if (fd_ < 0) return errnoError(EBADF);
    if (hadOld_) {
        if (::fchmod(fd_, oldMode_) != 0) return errnoError(errno);
        if (keepTimes_) {
            const struct timespec times[2] = {{oldAtimeSec_, oldAtimeNsec_}, {oldMtimeSec_, oldMtimeNsec_}};
            if (::futimens(fd_, times) != 0) return errnoError(errno);
        }
    }
    // close() is where some file systems report a failed write.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return errnoError(errno);
    if (::rename(tempName_.c_str(), fileName_.c_str()) != 0) return errnoError(errno);
    tempName_.clear();
    return Status::success();
}

}  // namespace kelmora
