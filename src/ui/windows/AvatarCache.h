#pragma once

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPixmap>
#include <QUrl>

#include <optional>

namespace murva {

// Participants' pictures, fetched once per address and kept for the run. A failure (no
// network, a 404, a stall, a body that is not an image) is remembered too, so a face
// shows its initials and the address is not asked again. Never blocks: a face asks, and
// `arrived` tells when its picture is there. Main thread.
class AvatarCache : public QObject {
    Q_OBJECT
public:
    // A stalled transfer is given up after this long.
    static constexpr int defaultTimeoutMs = 15000;
    // Anything larger is not an avatar.
    static constexpr qint64 largestBytes = 1 << 20;

    explicit AvatarCache(int transferTimeoutMs = defaultTimeoutMs, QObject *parent = nullptr);

    // The picture when it has arrived; otherwise nothing, and the first call starts the
    // fetch.
    std::optional<QPixmap> picture(const QUrl &address);
    // Whether the address has been fetched (with or without success).
    bool settled(const QUrl &address) const;

signals:
    void arrived(const QUrl &address);
    void settledChanged(const QUrl &address);

private:
    void fetch(const QUrl &address);

    enum class State { pending, failed, ready };
    struct Entry {
        State state = State::pending;
        QPixmap picture;
    };
    int transferTimeoutMs_;
    QNetworkAccessManager network_;
    QHash<QUrl, Entry> entries_;
};

} // namespace murva
