#include "MeetingBook.h"

#include "Accounts.h"

namespace murva::devservice {

Meeting &MeetingBook::create(const QString &owner, const QJsonObject &begin)
{
    Meeting meeting;
    meeting.meetingId = QStringLiteral("m%1").arg(nextNumber_++);
    meeting.owner = owner;
    meeting.begin = begin;
    meeting.declaredBytes = begin.value("bytes").toInteger();
    meeting.writingSec = writingSec_;
    meeting.nextSteps = nextSteps_;
    meetings_.append(meeting);
    return meetings_.last();
}

Meeting *MeetingBook::find(const QString &meetingId)
{
    for (Meeting &meeting : meetings_) {
        if (meeting.meetingId == meetingId) {
            return &meeting;
        }
    }
    return nullptr;
}

Meeting *MeetingBook::findOwned(const QString &meetingId, const QString &owner)
{
    Meeting *meeting = find(meetingId);
    return meeting && meeting->owner == owner ? meeting : nullptr;
}

// Notes are written only after the upload was confirmed, and take the time the meeting
// was given when it began.
QString MeetingBook::notesState(const Meeting &meeting) const
{
    if (meeting.cancelled) {
        return QStringLiteral("none");
    }
    if (!meeting.ready || nowMs() - meeting.readyAtMs < qint64(meeting.writingSec * 1000)) {
        return QStringLiteral("writing");
    }
    return QStringLiteral("ready");
}

QJsonObject MeetingBook::titlesReply(const QStringList &meetingIds, const QString &owner) const
{
    QJsonArray titles;
    QJsonArray notes;
    for (const Meeting &meeting : meetings_) {
        if (meeting.owner != owner || !meetingIds.contains(meeting.meetingId)) {
            continue;
        }
        titles.append(QJsonObject{{"meetingId", meeting.meetingId}, {"title", meeting.begin.value("title")}});
        QJsonObject note{{"meetingId", meeting.meetingId}, {"state", notesState(meeting)}};
        if (note.value("state") == QLatin1String("ready")) {
            note.insert("nextSteps", meeting.nextSteps);
        }
        notes.append(note);
    }
    return QJsonObject{{"titles", titles}, {"notes", notes}};
}

QJsonArray MeetingBook::toJson() const
{
    QJsonArray list;
    for (const Meeting &meeting : meetings_) {
        QJsonObject object{{"meetingId", meeting.meetingId},
                           {"owner", meeting.owner},
                           {"title", meeting.begin.value("title")},
                           {"at", meeting.begin.value("at")},
                           {"bytes", meeting.declaredBytes},
                           {"durationSec", meeting.begin.value("durationSec")},
                           {"turns", meeting.begin.value("turns")},
                           {"begin", meeting.begin},
                           {"uploadBytes", meeting.uploadBytes},
                           {"uploadContentType", meeting.uploadContentType},
                           {"uploadPath", meeting.uploadPath},
                           {"uploadAttempts", meeting.uploadAttempts},
                           {"uploaded", meeting.uploaded},
                           {"ready", meeting.ready},
                           {"cancelled", meeting.cancelled},
                           {"notes", notesState(meeting)}};
        if (meeting.begin.contains("joinUrl")) {
            object.insert("joinUrl", meeting.begin.value("joinUrl"));
        }
        list.append(object);
    }
    return list;
}

void MeetingBook::setNotes(double writingSec, int nextSteps)
{
    writingSec_ = writingSec;
    nextSteps_ = nextSteps;
}

void MeetingBook::clear()
{
    meetings_.clear();
    writingSec_ = 0;
    nextSteps_ = 3;
}

} // namespace murva::devservice
