#include "saving/Upload.h"

#include "api/SaveError.h"
#include "api/SharedNetwork.h"

#include <QCoroNetworkReply>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace murva {

namespace {

struct DeleteLater {
    void operator()(QObject *object) const { object->deleteLater(); }
};

// The address comes from the service. Qt would just as well PUT to a "file:" URL and
// overwrite a local file, so anything but http(s) is refused before a byte is read.
bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QNetworkRequest putRequest(const QUrl &to)
{
    QNetworkRequest request(to);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("video/mp4"));
    request.setTransferTimeout(static_cast<int>(Upload::transferTimeoutSec * 1000));
    // The file is read from disk as it is sent; Qt must not keep a copy of what it sent
    // (it can still rewind the file to send it again on a fresh connection).
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    return request;
}

} // namespace

QCoro::Task<> Upload::put(const QString &fileRef, const QUrl &toRef, const Progress &progressRef)
{
    const QString path = fileRef;
    const QUrl to = toRef;
    const Progress progress = progressRef;

    if (!isWebAddress(to)) {
        throw SaveError::notUploaded;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw SaveError::notUploaded;
    }

    QNetworkReply *sent = sharedNetwork().put(putRequest(to), file.get());
    std::unique_ptr<QNetworkReply, DeleteLater> reply(sent);
    // The reply reads from the file until it is deleted, so the file goes with it.
    file.release()->setParent(sent);
    if (progress) {
        QObject::connect(sent, &QNetworkReply::uploadProgress, sent, [progress](qint64 sentBytes, qint64 totalBytes) {
            if (totalBytes > 0) {
                progress(static_cast<double>(sentBytes) / static_cast<double>(totalBytes));
            }
        });
    }
    co_await sent;

    // The reply body is not looked at; only the status counts.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    const bool transferLost = error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
    if (!status.isValid() || transferLost) {
        throw saveErrorOf(error) == SaveError::offline ? SaveError::offline : SaveError::notUploaded;
    }
    const int code = status.toInt();
    if (code < 200 || code > 299) {
        throw SaveError::notUploaded;
    }
}

} // namespace murva
