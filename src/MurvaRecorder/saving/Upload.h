#pragma once

#include <QCoroTask>
#include <QString>
#include <QUrl>

#include <functional>

namespace murva {

// The HTTP PUT of a recording's video to the address the service handed out.
class Upload {
public:
    // A fraction from 0 to 1 of the bytes sent, a few times a second and 1 at the end;
    // called on the thread that awaits the upload.
    using Progress = std::function<void(double fraction)>;

    static constexpr double transferTimeoutSec = 600;

    // Streams `file` from disk (never read into memory, on a worker thread) as "video/mp4"
    // to `to`, which must be an http or https address; redirects are not followed. Throws
    // SaveError: `offline` when the network is missing or was lost, `notUploaded` for any
    // other failure, any reply outside 2xx, an unreadable file, or an address of another
    // scheme (nothing is sent then).
    static QCoro::Task<> put(const QString &file, const QUrl &to, const Progress &progress);
};

} // namespace murva
