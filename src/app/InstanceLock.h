#pragma once
// One running copy per user: a lock file in the user's runtime folder, held with flock for
// the life of the program (the kernel drops it when the program ends, even after a crash).
#include <string>

namespace kelmora::app {

class InstanceLock {
public:
    // folder: where the lock lives; empty: $XDG_RUNTIME_DIR, else /tmp.
    explicit InstanceLock(std::string folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another copy holds the lock.
    bool acquired() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace kelmora::app
