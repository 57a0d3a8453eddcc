#pragma once

#include "meetings/Calendar.h"
#include "meetings/Person.h"
#include "recordings/RecordDate.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace murva {

// One meeting of the user's calendar, as the service describes it. Dates are kept as
// precisely as the wire gives them (milliseconds with their fraction).
struct NextMeeting {
    QString title;
    SystemTime start{};
    SystemTime end{};                    // later than `start` when decoded
    std::optional<QUrl> link{};            // http or https
    std::optional<QString> murvaEventId{}; // the event's identifier at the service
    QStringList guests{};                  // as the service lists them
    std::vector<Person> people{};

    const std::optional<QUrl> &joinURL() const { return link; }

    bool started(SystemTime now) const { return now >= start; }
    bool over(SystemTime now) const { return now >= end; }

    // Whether a call seen at `at` with the link `joinUrl` is this meeting: the same
    // host and path as the meeting's link, or else a moment from 600 s before the start
    // up to (not including) the end.
    bool matches(SystemTime at, const std::optional<QUrl> &joinUrl) const;

    // The meeting's day page on the service (with its event when known), on the origin
    // of `meetingsUrl`; nothing when that has no usable parts.
    std::optional<QUrl> scheduleURL(const QUrl &meetingsUrl, const Calendar &calendar) const;

    // From the reply body of "/recorder/next", {"meeting": {…} | null}. Nothing for a
    // reply without a well-formed meeting; never throws.
    static std::optional<NextMeeting> of(const QByteArray &body);
    // The same rules for the already parsed value of "meeting" itself.
    static std::optional<NextMeeting> fromJson(const QJsonValue &meeting);

    bool operator==(const NextMeeting &) const = default;
};

// The key under which a meeting is skipped: its start as whole seconds since 1970
// (cut toward zero), a line feed, and its title. Meetings sharing both share a key.
QString skipKey(const NextMeeting &meeting);

} // namespace murva
