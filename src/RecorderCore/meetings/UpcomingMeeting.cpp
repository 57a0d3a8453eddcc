#include "meetings/UpcomingMeeting.h"

#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <chrono>

namespace murva {

namespace {

QString secondsText(SystemTime time)
{
    const double seconds = std::chrono::duration<double>(time.time_since_epoch()).count();
    QString text = QString::number(seconds, 'f', QLocale::FloatingPointShortest);
    if (!text.contains(u'.'))
        text += QLatin1String(".0");
    return text;
}

std::optional<UpcomingMeeting> upcomingOf(const QJsonObject &element)
{
    std::optional<NextMeeting> meeting = NextMeeting::fromJson(element);
    if (!meeting)
        return std::nullopt;
    const int listed = json::integerOf(element.value(QLatin1String("guestCount"))).value_or(0);
    const int guests = static_cast<int>(std::min<qsizetype>(meeting->guests.size(), std::numeric_limits<int>::max()));
    return UpcomingMeeting{std::move(*meeting), std::max(listed, guests)};
}

} // namespace

QString UpcomingMeeting::id() const
{
    return secondsText(meeting.start) + u'\n' + meeting.title;
}

std::optional<std::vector<UpcomingMeeting>> UpcomingMeeting::list(const QByteArray &body)
{
    const std::optional<QJsonObject> reply = json::objectOf(body);
    if (!reply)
        return std::nullopt;
    return listFromJson(*reply);
}

std::optional<std::vector<UpcomingMeeting>> UpcomingMeeting::listFromJson(const QJsonValue &reply)
{
    const QJsonValue meetings = reply.toObject().value(QLatin1String("meetings"));
    if (!json::isArrayOfObjects(meetings))
        return std::nullopt;
    std::vector<UpcomingMeeting> upcoming;
    for (const QJsonValue element : meetings.toArray()) {
        if (std::optional<UpcomingMeeting> entry = upcomingOf(element.toObject()))
            upcoming.push_back(std::move(*entry));
    }
    return upcoming;
}

} // namespace murva
