#pragma once

#include "recordings/RecordDate.h"
#include "turns/Turn.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace murva {

// The body of "/recorder/begin": what the service needs to accept a recording.
struct BeginRequest {
    QString title;
    double at = 0; // the start, whole milliseconds since 1970 UTC
    std::optional<QString> joinUrl; // left out of the JSON when absent
    QStringList people;             // always empty from this client
    qint64 bytes = 0;               // size of the file that will be uploaded
    double durationSec = 1;         // whole seconds, at least 1
    QString transcript;             // always "" from this client
    std::vector<Turn> turns;

    bool operator==(const BeginRequest &) const = default;

    // Rounds the start to whole milliseconds and the duration to whole seconds (halves
    // away from zero, at least 1 s).
    static BeginRequest make(const QString &title, SystemTime at, const std::optional<QUrl> &joinUrl,
                             qint64 bytes, double durationSec, const std::vector<Turn> &turns);

    // Every key but "joinUrl" is always written.
    QJsonObject toJson() const;
};

} // namespace murva
