#pragma once

#include <QByteArray>
#include <QProcess>

#include <cstdint>
#include <optional>
#include <vector>

namespace murva::test {

// Points DISPLAY elsewhere (or nowhere, for an empty name) while it lives.
class ScopedDisplay {
public:
    explicit ScopedDisplay(const QByteArray &display);
    ~ScopedDisplay();

    ScopedDisplay(const ScopedDisplay &) = delete;
    ScopedDisplay &operator=(const ScopedDisplay &) = delete;

private:
    std::optional<QByteArray> saved_;
};

// An Xvfb of the test's own, for what must not disturb the display other tests share.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();

    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;

    // Such as ":5"; empty when the server did not start.
    const QByteArray &name() const { return name_; }
    void signal(int number);

private:
    QProcess server_;
    QByteArray name_;
};

// Sets the root window's _NET_CLIENT_LIST_STACKING on DISPLAY, as a window manager does.
bool setStackingList(const std::vector<std::uint32_t> &bottomToTop);

} // namespace murva::test
