#pragma once

#include <QString>

namespace murva {

// The real /proc; tests hand in a folder laid out the same way.
inline const QString kProcRoot = QStringLiteral("/proc");

// What /proc tells about a process for naming it. Everything is empty when the process
// has gone or may not be looked at.
struct ProcessFacts {
    QString flatpakId;      // the sandbox's application id, if it runs in one
    QString executableName; // base name of its executable

    bool operator==(const ProcessFacts &) const = default;
};

ProcessFacts readProcessFacts(qint64 pid, const QString &procRoot = kProcRoot);

} // namespace murva
