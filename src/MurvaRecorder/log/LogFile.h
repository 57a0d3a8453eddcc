#pragma once

#include "support/SerialQueue.h"

#include <QByteArray>
#include <QString>

namespace murva {

// A log file that appends whole lines on its own serial queue and keeps one older
// generation. The file is opened and closed for every line, so it may be moved or
// deleted from outside at any time.
class LogFile {
public:
    static constexpr qint64 kRotateAboveBytes = 5 * 1024 * 1024;

    explicit LogFile(QString path);

    const QString &path() const { return path_; }
    QString oldPath() const; // "<name>.old.log" beside the file

    // Returns at once; the line is appended later, in call order.
    void append(QByteArray line);

    // Waits until every line handed to append() before this call is on disk.
    void flush();

private:
    void appendNow(const QByteArray &line);

    QString path_;
    SerialQueue queue_{"dev.murva.recorder.log"};
};

} // namespace murva
