#include "log/Log.h"

#include "support/Version.h"
#include "log/LogFile.h"
#include "support/UserFolders.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace murva::Log {
namespace {

std::atomic<bool> echoToStandardOutput{false};

LogFile &sharedFile()
{
    static LogFile file(UserFolders::stateHome() + "/Murva Recorder.log");
    return file;
}

// Formatting a date is the costliest part of write(); callers log many lines a second
// at most, so each thread keeps the text of the last second it formatted.
QByteArray stampNow()
{
    thread_local qint64 cachedSecond = -1;
    thread_local QByteArray cachedStamp;
    const qint64 second = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    if (second != cachedSecond) {
        cachedSecond = second;
        cachedStamp = QDateTime::fromSecsSinceEpoch(second, Qt::UTC).toString(Qt::ISODate).toLatin1();
    }
    return cachedStamp;
}

QByteArray assemble(const QByteArray &stamp, const QString &version, const QString &text)
{
    QByteArray out;
    const QByteArray body = text.toUtf8();
    out.reserve(stamp.size() + version.size() + body.size() + 5);
    out.append(stamp).append(" [").append(version.toUtf8()).append("] ").append(body).append('\n');
    return out;
}

} // namespace

QByteArray line(const QString &text, const QDateTime &nowUtc, const QString &version)
{
    return assemble(nowUtc.toUTC().toString(Qt::ISODate).toLatin1(), version, text);
}

void write(const QString &text)
{
    static const QString version = QString::fromLatin1(buildVersion());
    QByteArray formatted = assemble(stampNow(), version, text);
    if (echoToStandardOutput.load(std::memory_order_relaxed)) {
        std::fwrite(formatted.constData(), 1, size_t(formatted.size()), stdout);
        std::fflush(stdout);
    }
    sharedFile().append(std::move(formatted));
}

QString filePath()
{
    return sharedFile().path();
}

void setEcho(bool echo)
{
    echoToStandardOutput.store(echo, std::memory_order_relaxed);
}

void flush()
{
    sharedFile().flush();
}

} // namespace murva::Log
