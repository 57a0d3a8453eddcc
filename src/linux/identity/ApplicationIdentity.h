#pragma once

#include "identity/ProcessFacts.h"

#include <QString>

namespace murva {

// Everything known about a program that may name it, gathered from its sound stream,
// its window and /proc. Empty texts are unknown.
struct IdentityClues {
    QString streamApplicationId; // the stream's "application.id"
    QString flatpakId;
    QString streamBinary;        // the stream's "application.process.binary"
    QString executableName;      // from /proc
    QString wmClassInstance;
    QString wmClass;
};

// The application identifier of a program (reverse-DNS, as the call classification
// knows them) and a name for people. The one place that turns Linux facts into both.
struct ApplicationIdentity {
    QString identifier; // empty: neither a calling app nor a browser we know
    QString name;       // empty only when nothing at all is known

    // The first rule that gives an identifier: a dotted stream "application.id"; the
    // Flatpak id; the first program name listed in the known-applications table. A
    // dotted id that the table lists (such as a Flatpak id) becomes the table's one.
    static ApplicationIdentity fromClues(const IdentityClues &clues);

    // A process playing or recording sound, with its stream's properties.
    static ApplicationIdentity forProcess(qint64 pid, const QString &streamApplicationId,
                                          const QString &streamBinary, const QString &procRoot = kProcRoot);

    // The owner of a window, with the window's WM_CLASS; `pid` 0 when unknown.
    static ApplicationIdentity forWindow(qint64 pid, const QString &wmClassInstance, const QString &wmClass,
                                         const QString &procRoot = kProcRoot);

    bool operator==(const ApplicationIdentity &) const = default;
};

} // namespace murva
