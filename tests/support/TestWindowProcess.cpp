#include "TestWindowProcess.h"

#include <QDeadlineTimer>

namespace murva::test {

TestWindowProcess::TestWindowProcess(const QStringList &arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(MURVA_TEST_WINDOW), arguments);
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(int(deadline.remainingTime()))) {
            continue;
        }
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("ready ")) {
            windowId_ = line.sliced(6).toUInt();
            return;
        }
    }
}

TestWindowProcess::~TestWindowProcess()
{
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

} // namespace murva::test
