#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace murva {

// What the service answers to begin: the meeting made for the recording and where its
// video goes.
struct BeginReply {
    QString meetingId;
    QUrl uploadUrl; // decoded whatever its scheme; the upload itself only goes to http(s)
    std::optional<QString> customer;
    std::optional<QString> title; // only when it holds more than white space, kept as sent

    bool operator==(const BeginReply &) const = default;

    // Needs a string "meetingId" and a string "uploadUrl" that parses as a URL.
    static std::optional<BeginReply> of(const QByteArray &data);
};

} // namespace murva
