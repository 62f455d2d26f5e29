#pragma once
// Writes a file under a temporary name in the target's folder and renames it over the target
// only when every byte is written, so a failed write never leaves a truncated file under the
// final name (and never destroys the file it was to replace).
#include <cstddef>
#include <cstdint>
#include <string>

#include "util/Result.h"

namespace kelmora {

struct ReplaceOptions {
    // Give the new file the replaced file's access and modification times (creation times don't
    // exist here). Its permission bits are always kept.
    bool keepTimes = false;
};

class ReplacingFile {
public:
    // Errors carry errno as their code and its description as their message.
    static Result<ReplacingFile> open(const std::string& fileName, ReplaceOptions options = {});

    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&&) = delete;
    ReplacingFile(const ReplacingFile&) = delete;
    ~ReplacingFile();  // discards the temporary file unless commit() succeeded

    Status write(const void* data, size_t size);
    // Closes the temporary file, gives it the kept attributes and renames it over the target.
    Status commit();

    const std::string& temporaryName() const { return tempName_; }

private:
    ReplacingFile() = default;
    void discard();

    std::string fileName_;
    std::string tempName_;
    int fd_ = -1;
    bool hadOld_ = false;
    bool keepTimes_ = false;
    unsigned oldMode_ = 0;
    int64_t oldAtimeSec_ = 0, oldAtimeNsec_ = 0, oldMtimeSec_ = 0, oldMtimeNsec_ = 0;
};

// errno as an Error: its number and its description.
Error errnoError(int errorNumber);

}  // namespace kelmora
