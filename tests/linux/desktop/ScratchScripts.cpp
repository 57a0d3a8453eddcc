#include "ScratchScripts.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace murva::test {

QString writeRecordingScript(const QString &scriptPath, const QString &recordPath)
{
    QFile script(scriptPath);
    script.open(QIODevice::WriteOnly);
    QByteArray quoted = recordPath.toUtf8();
    quoted.replace('\'', "'\\''");
    // Written aside and moved in, so that a reader never sees half of it.
    script.write("#!/bin/sh\nrecord='" + quoted + "'\n"
                 "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > \"$record.part\"\n"
                 "/bin/mv \"$record.part\" \"$record\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return scriptPath;
}

QByteArray waitForRecord(const QString &recordPath)
{
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        QFile record(recordPath);
        if (record.open(QIODevice::ReadOnly)) {
            return record.readAll();
        }
        QThread::msleep(20);
    }
    return {};
}

} // namespace murva::test
