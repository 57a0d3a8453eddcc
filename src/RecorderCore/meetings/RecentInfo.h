#pragma once

#include "meetings/MeetingNotes.h"

#include <QByteArray>
#include <QHash>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace murva {

// What the service says about recently saved recordings, by meeting identifier.
struct RecentInfo {
    QHash<QString, QString> titles;     // never an empty title
    QHash<QString, MeetingNotes> notes;

    // From the reply body of "/recorder/titles". Nothing unless "titles" is an array of
    // objects; malformed elements are skipped, and a later element for the same meeting
    // replaces an earlier one. A missing or malformed "notes" gives no notes.
    static std::optional<RecentInfo> of(const QByteArray &body);
    // The same rules for an already parsed reply.
    static std::optional<RecentInfo> fromJson(const QJsonValue &reply);

    bool operator==(const RecentInfo &) const = default;
};

} // namespace murva
