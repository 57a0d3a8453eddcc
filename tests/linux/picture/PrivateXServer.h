#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSize>
#include <QStringList>

namespace murva::test {

// An Xvfb of this test's own, with a white root window, for pictures of a whole screen
// that no other test draws on, and for a server that may be killed.
class PrivateXServer {
public:
    explicit PrivateXServer(QSize screenSize, const QStringList &extraArguments = {});
    ~PrivateXServer();

    bool running() const { return !displayName_.isEmpty(); }
    QByteArray displayName() const { return displayName_; } // ":N"
    QSize screenSize() const { return screenSize_; }

    // Ends the server the hard way (SIGKILL), as a crash would.
    void kill();

private:
    QProcess xvfb_;
    QSize screenSize_;
    QByteArray displayName_;
};

} // namespace murva::test
