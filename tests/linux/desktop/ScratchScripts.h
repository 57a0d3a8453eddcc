#pragma once

#include "support/PrivateServers.h"

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure messages for texts (found by argument lookup in QString's namespace).
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace murva::test {

// Writes an executable shell script that writes its arguments, one per line, into
// `recordPath`; returns the script's path.
QString writeRecordingScript(const QString &scriptPath, const QString &recordPath);

// Waits up to two seconds for the record and returns its contents (empty if none came).
QByteArray waitForRecord(const QString &recordPath);

} // namespace murva::test
