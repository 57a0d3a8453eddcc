#include "support/SerialQueue.h"

#include <pthread.h>

namespace murva {

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label)), worker_([this] { run(); })
{
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void SerialQueue::submit(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void SerialQueue::drain()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void SerialQueue::run()
{
    // Linux keeps at most 15 characters of a thread's name, so the common "dev.murva."
    // prefix goes; the full label stays in label().
    std::string name = label_;
    if (name.rfind("dev.murva.", 0) == 0) {
        name.erase(0, 10);
    }
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return; // stopping, and nothing left to run
        }
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        if (jobs_.empty()) {
            idle_.notify_all();
        }
    }
}

} // namespace murva
