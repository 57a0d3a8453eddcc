#include "support/SerialQueue.h"

#include <QString>
#include <QThread>

namespace murva {

SerialQueue::SerialQueue(std::string label)
    : worker_(QThread::create([this] { run(); }))
{
    // Qt gives the thread this name where the system has thread names; Linux keeps 15
    // characters, so the common "dev.murva." prefix goes.
    QString name = QString::fromStdString(label);
    if (name.startsWith(QLatin1String("dev.murva."))) {
        name.remove(0, 10);
    }
    worker_->setObjectName(name.left(15));
    worker_->start();
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_->wait();
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
