#include "windows/AvatarCache.h"

#include <QImage>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace murva {

AvatarCache::AvatarCache(int transferTimeoutMs, QObject *parent)
    : QObject(parent), transferTimeoutMs_(transferTimeoutMs)
{
}

std::optional<QPixmap> AvatarCache::picture(const QUrl &address)
{
    const auto found = entries_.constFind(address);
    if (found == entries_.constEnd()) {
        fetch(address);
        return std::nullopt;
    }
    if (found->state == State::ready) {
        return found->picture;
    }
    return std::nullopt;
}

bool AvatarCache::settled(const QUrl &address) const
{
    const auto found = entries_.constFind(address);
    return found != entries_.constEnd() && found->state != State::pending;
}

void AvatarCache::fetch(const QUrl &address)
{
    entries_.insert(address, Entry{});
    QNetworkRequest request(address);
    request.setTransferTimeout(transferTimeoutMs_);
    QNetworkReply *reply = network_.get(request);
    // A huge body is cut short instead of filling memory.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > largestBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, address] {
        reply->deleteLater();
        Entry &entry = entries_[address];
        QImage image;
        if (reply->error() == QNetworkReply::NoError && image.loadFromData(reply->readAll())) {
            entry.picture = QPixmap::fromImage(std::move(image));
            entry.state = State::ready;
        } else {
            entry.state = State::failed;
        }
        emit settledChanged(address);
        if (entry.state == State::ready) {
            emit arrived(address);
        }
    });
}

} // namespace murva
