#include "ScratchScripts.h"

#include "support/Files.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace murva::test {

QString writeRecordingScript(const QString &scriptPath, const QString &recordPath)
{
    QByteArray quoted = recordPath.toUtf8();
    quoted.replace('\'', "'\\''");
    // Written aside and moved in, so that a reader never sees half of it.
    writeFile(scriptPath, "#!/bin/sh\nrecord='" + quoted + "'\n"
                          "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > \"$record.part\"\n"
                          "/bin/mv \"$record.part\" \"$record\"\n");
    QFile::setPermissions(scriptPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return scriptPath;
}

QByteArray waitForRecord(const QString &recordPath)
{
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        if (QFile::exists(recordPath)) {
            return readFile(recordPath);
        }
        QThread::msleep(20);
    }
    return {};
}

} // namespace murva::test
