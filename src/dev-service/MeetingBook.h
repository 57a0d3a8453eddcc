#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace murva::devservice {

// One meeting begun by a recorder, with its upload and notes.
struct Meeting {
    QString meetingId;
    QString owner; // the e-mail address of the user who began it
    QJsonObject begin; // the begin request as received
    qint64 declaredBytes = 0;
    qint64 uploadBytes = 0;
    QString uploadContentType;
    QString uploadPath;
    int uploadAttempts = 0;
    bool uploaded = false;
    bool ready = false;
    bool cancelled = false;
    qint64 readyAtMs = -1;
    double writingSec = 0; // how long its notes stay "writing" after ready
    int nextSteps = 0;
};

// The meetings the service holds and what it says about their notes.
class MeetingBook {
public:
    Meeting &create(const QString &owner, const QJsonObject &begin);
    // The meeting when it exists and belongs to `owner`; null otherwise, so a user never
    // learns about another user's meetings.
    Meeting *findOwned(const QString &meetingId, const QString &owner);
    Meeting *find(const QString &meetingId);

    // The "/recorder/titles" reply for those meeting ids of `owner`.
    QJsonObject titlesReply(const QStringList &meetingIds, const QString &owner) const;
    QJsonArray toJson() const;

    void setNotes(double writingSec, int nextSteps);
    void clear(); // meetings only; the notes settings go back to their defaults too

private:
    QString notesState(const Meeting &meeting) const;

    QList<Meeting> meetings_;
    double writingSec_ = 0;
    int nextSteps_ = 3;
    static inline quint64 nextNumber_ = 1; // never reused, also across resets
};

} // namespace murva::devservice
