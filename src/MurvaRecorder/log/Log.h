#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace murva::Log {

// Appends one line to the program's log. Callable from any thread; returns at once.
// The time and the version are taken here, on the caller's thread.
void write(const QString &text);

// "$XDG_STATE_HOME/Murva Recorder.log", fixed at the first write.
QString filePath();

// The line as written: ISO 8601 UTC time, the version in brackets, the text, a line feed.
QByteArray line(const QString &text, const QDateTime &nowUtc, const QString &version);

// Also copy every line to standard output (the headless mode).
void setEcho(bool echo);

// Waits until every line written so far is in the file (before exit, and in tests).
void flush();

} // namespace murva::Log
