#include "SoundPrograms.h"

namespace murva::test {

SoundProgram::SoundProgram(Kind kind, const QString &applicationID, const QString &server)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PULSE_PROP", "application.id=" + applicationID);
    if (!server.isEmpty()) {
        environment.insert("PULSE_SERVER", server);
    }
    process_.setProcessEnvironment(environment);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    if (kind == Kind::recording) {
        process_.start("parecord", {"--raw", "--latency-msec=100"});
    } else {
        process_.start("pacat", {"--playback", "--raw", "--latency-msec=100", "/dev/zero"});
    }
    process_.waitForStarted(5000);
}

SoundProgram::~SoundProgram()
{
    stop();
}

void SoundProgram::stop()
{
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

} // namespace murva::test
