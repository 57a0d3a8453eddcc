#pragma once

#include "meetings/NextMeeting.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

namespace murva {

// One entry of the coming-meetings list.
struct UpcomingMeeting {
    NextMeeting meeting;
    int guestCount = 0; // never fewer than `meeting.guests`

    // The start in seconds since 1970 as the shortest decimal that reads back the same
    // (".0" after a whole number), a line feed, and the title.
    QString id() const;

    // From the reply body of "/recorder/upcoming", {"meetings": [{…}, …]}. Nothing
    // unless "meetings" is an array of objects; elements that are not meetings are
    // skipped and the others keep the service's order.
    static std::optional<std::vector<UpcomingMeeting>> list(const QByteArray &body);
    // The same rules for an already parsed reply.
    static std::optional<std::vector<UpcomingMeeting>> listFromJson(const QJsonValue &reply);

    bool operator==(const UpcomingMeeting &) const = default;
};

} // namespace murva
