#pragma once
// A fixed set of threads taking tasks from a bounded queue: submit() waits while the queue is
// full, so a fast producer (the renderer) can never pile up frames in memory.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kelmora::convert {

class EncodePool {
public:
    // threads: 0 runs every task inside submit(), on the caller's thread; capacity: tasks waiting
    // at most (at least 1).
    EncodePool(int threads, int capacity);
    ~EncodePool();  // runs what is queued, then joins
    EncodePool(const EncodePool&) = delete;
    EncodePool& operator=(const EncodePool&) = delete;

    void submit(std::function<void()> task);
    // Returns when every task submitted so far has finished.
    void waitIdle();
    int threads() const { return int(workers_.size()); }

private:
    void work();

    std::mutex mutex_;
    std::condition_variable taskReady_, spaceFree_, idle_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> workers_;
    size_t capacity_;
    int running_ = 0;
    bool stopping_ = false;
};

// Number of cores, at least 1.
int coreCount();

}  // namespace kelmora::convert
