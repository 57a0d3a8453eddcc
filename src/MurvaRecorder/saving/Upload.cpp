#include "saving/Upload.h"

#include "api/SaveError.h"
#include "saving/HttpPut.h"
#include "support/WorkerTask.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <memory>

namespace murva {

namespace {

constexpr int kProgressIntervalMs = 200;

// The address comes from the service. Anything but http(s) is refused before a byte is
// read, so a "file:" address can never make the upload write somewhere.
bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// What the worker and the awaiting thread share; the worker may outlive the awaiting.
struct Shared {
    std::atomic<qint64> bodySize{0};
    std::atomic<qint64> bodySent{0};
    std::atomic<bool> stop{false};

    double fraction() const
    {
        const qint64 size = bodySize;
        return size > 0 ? static_cast<double>(bodySent) / static_cast<double>(size) : 0.0;
    }
};

} // namespace

QCoro::Task<> Upload::put(const QString &fileRef, const QUrl &toRef, const Progress &progressRef)
{
    const Progress progress = progressRef;
    HttpPut put;
    put.file = fileRef;
    put.to = toRef;
    put.contentType = QByteArrayLiteral("video/mp4");
    put.idleLimit = std::chrono::milliseconds(qint64(transferTimeoutSec * 1000));
    if (!isWebAddress(put.to)) {
        throw SaveError::notUploaded;
    }

    const auto shared = std::make_shared<Shared>();
    // Quitting leaves the upload for the next launch; the worker lets go of the file at once.
    const QMetaObject::Connection quitting =
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [shared] { shared->stop = true; });
    QTimer ticker;
    if (progress) {
        QObject::connect(&ticker, &QTimer::timeout, [shared, progress] { progress(shared->fraction()); });
        ticker.start(kProgressIntervalMs);
    }
    auto sending = runOnWorker([put, shared] { return put.run(shared->bodySize, shared->bodySent, shared->stop); });
    const HttpPut::Result result = co_await sending;
    ticker.stop();
    QObject::disconnect(quitting);

    switch (result.outcome) {
    case HttpPut::Outcome::answered:
        if (result.status < 200 || result.status > 299) {
            throw SaveError::notUploaded;
        }
        break;
    case HttpPut::Outcome::lost:
        throw SaveError::offline;
    case HttpPut::Outcome::failed:
    case HttpPut::Outcome::stopped:
        throw SaveError::notUploaded;
    }
    if (progress) {
        progress(1.0);
    }
}

} // namespace murva
