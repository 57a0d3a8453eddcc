#include "SimulatedCall.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace murva::test {

SimulatedCall::SimulatedCall(int seconds, const QString &display)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    if (!display.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        process_.setProcessEnvironment(environment);
    }
    process_.setChildProcessModifier([] { ::setpgid(0, 0); });
    process_.start(QStringLiteral("bash"),
                   {QStringLiteral(MURVA_SCRIPTS "/simulate-call"), QStringLiteral("--seconds"),
                    QString::number(seconds), QStringLiteral("--window-tool"), QStringLiteral(MURVA_TEST_WINDOW)});
    process_.waitForStarted(5000);
}

SimulatedCall::~SimulatedCall()
{
    hangUp();
}

bool SimulatedCall::waitUntilStarted(double limitSec)
{
    QDeadlineTimer deadline(qint64(limitSec * 1000));
    while (!output_.contains("call started")) {
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            return false;
        }
        process_.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        output_ += process_.readAll();
    }
    return true;
}

bool SimulatedCall::waitUntilHungUp(double limitSec)
{
    const bool ended = process_.waitForFinished(int(limitSec * 1000));
    output_ += process_.readAll();
    return ended;
}

void SimulatedCall::hangUp()
{
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    // The script's own trap also stops what it started; the group signal makes the
    // microphone free before bash has finished waiting for its current clip.
    ::kill(-pid_t(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(10000)) {
        ::kill(-pid_t(process_.processId()), SIGKILL);
        process_.waitForFinished(5000);
    }
}

} // namespace murva::test
