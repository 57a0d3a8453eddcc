#include "meetings/NextMeeting.h"

#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonObject>

#include <chrono>

namespace murva {

namespace {

// A call up to this long before the start is already taken as the meeting: people join
// early.
constexpr std::chrono::seconds earlyJoin{600};

bool sameHostAndPath(const QUrl &a, const QUrl &b)
{
    return a.host() == b.host() && a.path() == b.path();
}

std::vector<Person> peopleOf(const QJsonValue &value)
{
    std::vector<Person> people;
    if (!json::isArrayOfObjects(value))
        return people;
    for (const QJsonValue element : value.toArray()) {
        if (std::optional<Person> person = Person::of(element.toObject()))
            people.push_back(std::move(*person));
    }
    return people;
}

// The year, month and day written as "%04d-%02d-%02d"; a part the calendar cannot give
// is written as 0.
QString dayText(QDate day, const QCalendar &calendar)
{
    const QCalendar::YearMonthDay parts = calendar.partsFromDate(day);
    const auto known = [](int part) { return part == QCalendar::Unspecified ? 0 : part; };
    return QString::asprintf("%04d-%02d-%02d", known(parts.year), known(parts.month), known(parts.day));
}

} // namespace

bool NextMeeting::matches(SystemTime at, const std::optional<QUrl> &joinUrl) const
{
    if (link && joinUrl && sameHostAndPath(*link, *joinUrl))
        return true;
    // Moved on `at`, a real moment, rather than on `start`, which a reply may have put
    // at the clock's far end where subtracting would overflow.
    return at + earlyJoin >= start && at < end;
}

std::optional<QUrl> NextMeeting::scheduleURL(const QUrl &meetingsUrl, const Calendar &calendar) const
{
    if (!meetingsUrl.isValid())
        return std::nullopt;
    QString path = QStringLiteral("/app/scheduling/day/") + dayText(calendar.date(start), calendar.system);
    // The identifier stays one path segment, whatever it holds: an id with "/" or ".."
    // must not lead to another page of the service.
    if (murvaEventId)
        path += QStringLiteral("/event/") + QString::fromLatin1(QUrl::toPercentEncoding(*murvaEventId));
    QUrl url = meetingsUrl;
    url.setPath(path, QUrl::TolerantMode);
    url.setQuery(QString()); // a null query leaves no "?" behind
    if (!url.isValid())
        return std::nullopt;
    return url;
}

std::optional<NextMeeting> NextMeeting::of(const QByteArray &body)
{
    const std::optional<QJsonObject> reply = json::objectOf(body);
    if (!reply)
        return std::nullopt;
    return fromJson(reply->value(QLatin1String("meeting")));
}

std::optional<NextMeeting> NextMeeting::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const std::optional<QString> title = json::stringOf(object.value(QLatin1String("title")));
    const QJsonValue start = object.value(QLatin1String("start"));
    const QJsonValue end = object.value(QLatin1String("end"));
    if (!title || !start.isDouble() || !end.isDouble())
        return std::nullopt;
    NextMeeting meeting;
    meeting.title = *title;
    meeting.start = timeFromMillisecondsSince1970(start.toDouble());
    meeting.end = timeFromMillisecondsSince1970(end.toDouble());
    // Compared after conversion, so that dates clamped to the same far end of the clock's
    // range are refused too and `end` is always later.
    if (meeting.end <= meeting.start)
        return std::nullopt;
    meeting.link = json::urlOf(object.value(QLatin1String("link")), {u"https", u"http"});
    meeting.murvaEventId = json::stringOf(object.value(QLatin1String("murvaEventId")));
    meeting.guests = json::stringsOf(object.value(QLatin1String("guests"))).value_or(QStringList());
    meeting.people = peopleOf(object.value(QLatin1String("people")));
    return meeting;
}

QString skipKey(const NextMeeting &meeting)
{
    // duration_cast cuts toward zero, also before 1970.
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(meeting.start.time_since_epoch());
    return QString::number(seconds.count()) + u'\n' + meeting.title;
}

} // namespace murva
