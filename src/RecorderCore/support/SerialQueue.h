#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QThread;

namespace murva {

// One worker thread running jobs in the order they were submitted. Stands in for a
// serial dispatch queue: the log and the capture each own one.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue(); // runs what is still queued, then joins

    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    // Returns at once; the job runs later on the worker thread.
    void submit(std::function<void()> job);

    // Blocks until every job submitted before this call has run.
    // Must not be called from the worker thread itself.
    void drain();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::unique_ptr<QThread> worker_;
};

} // namespace murva
