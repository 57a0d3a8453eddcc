#include "meetings/RecentInfo.h"

#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonObject>

namespace murva {

namespace {

std::optional<MeetingNotes> noteFor(const QString &state, const QJsonObject &element)
{
    if (state == QLatin1String("ready"))
        return MeetingNotes::ready(json::integerOf(element.value(QLatin1String("nextSteps"))).value_or(0));
    if (state == QLatin1String("writing"))
        return MeetingNotes::writing();
    if (state == QLatin1String("none"))
        return MeetingNotes::none();
    return std::nullopt;
}

QHash<QString, QString> titlesOf(const QJsonArray &elements)
{
    QHash<QString, QString> titles;
    for (const QJsonValue element : elements) {
        const QJsonObject object = element.toObject();
        const std::optional<QString> id = json::stringOf(object.value(QLatin1String("meetingId")));
        const std::optional<QString> title = json::stringOf(object.value(QLatin1String("title")));
        if (id && title && !title->isEmpty())
            titles.insert(*id, *title);
    }
    return titles;
}

QHash<QString, MeetingNotes> notesOf(const QJsonValue &value)
{
    QHash<QString, MeetingNotes> notes;
    if (!json::isArrayOfObjects(value))
        return notes;
    for (const QJsonValue element : value.toArray()) {
        const QJsonObject object = element.toObject();
        const std::optional<QString> id = json::stringOf(object.value(QLatin1String("meetingId")));
        const std::optional<QString> state = json::stringOf(object.value(QLatin1String("state")));
        if (!id || !state)
            continue;
        if (const std::optional<MeetingNotes> entry = noteFor(*state, object))
            notes.insert(*id, *entry);
    }
    return notes;
}

} // namespace

std::optional<RecentInfo> RecentInfo::of(const QByteArray &body)
{
    const std::optional<QJsonObject> reply = json::objectOf(body);
    if (!reply)
        return std::nullopt;
    return fromJson(*reply);
}

std::optional<RecentInfo> RecentInfo::fromJson(const QJsonValue &reply)
{
    const QJsonObject object = reply.toObject();
    const QJsonValue titles = object.value(QLatin1String("titles"));
    if (!json::isArrayOfObjects(titles))
        return std::nullopt;
    return RecentInfo{titlesOf(titles.toArray()), notesOf(object.value(QLatin1String("notes")))};
}

} // namespace murva
