#pragma once

#include <QCoroTask>
#include <QString>
#include <QUrl>

#include <functional>

namespace murva {

// The HTTP PUT of a recording's video to the address the service handed out.
class Upload {
public:
    // A fraction from 0 to 1 of the bytes sent; called on the uploading thread.
    using Progress = std::function<void(double fraction)>;

    static constexpr double transferTimeoutSec = 600;

    // Streams `file` from disk (never read into memory) as "video/mp4" to `to`, which
    // must be an http or https address. Throws SaveError: `offline` when the network is
    // missing or was lost, `notUploaded` for any other failure, any reply outside 2xx,
    // an unreadable file, or an address of another scheme (nothing is sent then).
    static QCoro::Task<> put(const QString &file, const QUrl &to, const Progress &progress);
};

} // namespace murva
