#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdint>

namespace murva::test {

// A murva-test-window process with its window up; ended with SIGTERM when destroyed.
class TestWindowProcess {
public:
    explicit TestWindowProcess(const QStringList &arguments);
    ~TestWindowProcess();

    TestWindowProcess(const TestWindowProcess &) = delete;
    TestWindowProcess &operator=(const TestWindowProcess &) = delete;

    // 0 when the window did not come up.
    std::uint32_t windowId() const { return windowId_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    std::uint32_t windowId_ = 0;
};

} // namespace murva::test
