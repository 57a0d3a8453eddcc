#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <atomic>
#include <chrono>

namespace murva {

// One HTTP/1.1 PUT of a file over a connection of its own, the body streamed from disk
// in large pieces. It blocks, so it runs on a worker thread: handing the body to Qt's
// HTTP client instead moves it between threads 32 KiB at a time through the caller's
// event loop, which held a loopback upload to a fraction of what the link carries.
struct HttpPut {
    enum class Outcome {
        answered, // the server sent a final status (any status)
        lost,     // the network is missing, or the connection dropped before an answer
        failed,   // anything else: refused, TLS, unreadable file, no progress, bad answer
        stopped,  // `stop` was set
    };
    struct Result {
        Outcome outcome = Outcome::failed;
        int status = 0; // with `answered`
    };

    QString file;
    QUrl to; // http or https
    QByteArray contentType;
    std::chrono::milliseconds idleLimit{600000}; // this long without progress fails it

    // `bodySize` is set once the file is open and `bodySent` follows the bytes of the
    // body that left for the network; `stop` ends the transfer within a fraction of a second.
    Result run(std::atomic<qint64> &bodySize, std::atomic<qint64> &bodySent, const std::atomic<bool> &stop) const;
};

} // namespace murva
