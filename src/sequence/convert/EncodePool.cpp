#include "sequence/convert/EncodePool.h"

#include <algorithm>

namespace kelmora::convert {

int coreCount() { return int(std::max(1u, std::thread::hardware_concurrency())); }

EncodePool::EncodePool(int threads, int capacity) : capacity_(size_t(std::max(1, capacity))) {
    const int n = std::max(0, threads);
    workers_.reserve(size_t(n));
    for (int i = 0; i < n; ++i) workers_.emplace_back([this] { work(); });
}

EncodePool::~EncodePool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    taskReady_.notify_all();
    for (auto& t : workers_) t.join();
}

void EncodePool::submit(std::function<void()> task) {
    if (workers_.empty()) {
        task();
        return;
    }
    std::unique_lock lock(mutex_);
    spaceFree_.wait(lock, [&] { return queue_.size() < capacity_; });
    queue_.push_back(std::move(task));
    lock.unlock();
    taskReady_.notify_one();
}

void EncodePool::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return queue_.empty() && running_ == 0; });
}

void EncodePool::work() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            taskReady_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, and nothing left
            task = std::move(queue_.front());
            queue_.pop_front();
            ++running_;
        }
        spaceFree_.notify_one();
        task();
        {
            std::lock_guard lock(mutex_);
            --running_;
            if (queue_.empty() && running_ == 0) idle_.notify_all();
        }
    }
}

}  // namespace kelmora::convert
