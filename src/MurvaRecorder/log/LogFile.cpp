#include "log/LogFile.h"

#include <QFile>
#include <QFileInfo>

namespace murva {

LogFile::LogFile(QString path)
    : path_(std::move(path))
{
}

QString LogFile::oldPath() const
{
    QString base = path_;
    if (base.endsWith(".log")) {
        base.chop(4);
    }
    return base + ".old.log";
}

void LogFile::append(QByteArray line)
{
    queue_.submit([this, line = std::move(line)] { appendNow(line); });
}

void LogFile::flush()
{
    queue_.drain();
}

void LogFile::appendNow(const QByteArray &line)
{
    const QFileInfo info(path_);
    if (info.exists() && info.size() > kRotateAboveBytes) {
        QFile::remove(oldPath());
        QFile::rename(path_, oldPath());
    }
    // Append mode creates a missing file but never its folder: without the folder the
    // line is dropped.
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    file.write(line);
    file.close();
}

} // namespace murva
