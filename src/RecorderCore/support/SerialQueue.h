#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace murva {

// One worker thread running jobs in the order they were submitted. Stands in for a
// serial dispatch queue: the log and the capture each own one.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue(); // runs what is still queued, then joins

    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const std::string &label() const { return label_; }

    // Returns at once; the job runs later on the worker thread.
    void submit(std::function<void()> job);

    // Blocks until every job submitted before this call has run.
    // Must not be called from the worker thread itself.
    void drain();

    bool isWorkerThread() const { return std::this_thread::get_id() == worker_.get_id(); }

private:
    void run();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace murva
