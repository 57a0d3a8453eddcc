#include "SoundPrograms.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace murva::test {
namespace {

bool serverAnswers(const QString &address)
{
    QProcess pactl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PULSE_SERVER", address);
    pactl.setProcessEnvironment(environment);
    pactl.start("pactl", {"info"});
    return pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

} // namespace

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

RestartableSoundServer::RestartableSoundServer()
{
    QDir().mkpath(folder_.path() + "/runtime");
    QDir().mkpath(folder_.path() + "/home");
    QFile::setPermissions(folder_.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

RestartableSoundServer::~RestartableSoundServer()
{
    kill();
}

bool RestartableSoundServer::start()
{
    kill();
    QFile::remove(folder_.path() + "/native");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", folder_.path() + "/runtime");
    environment.insert("HOME", folder_.path() + "/home");
    environment.remove("PULSE_SERVER");
    process_.setProcessEnvironment(environment);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start("pulseaudio",
                   {"--daemonize=no", "--exit-idle-time=-1", "--disallow-exit=yes", "--use-pid-file=no", "-n",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_.path() + "/native",
                    "--load=module-null-sink sink_name=speakers", "--load=module-null-sink sink_name=micfeed",
                    "--load=module-remap-source source_name=mic master=micfeed.monitor"});
    if (!process_.waitForStarted(5000)) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!serverAnswers(address())) {
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

void RestartableSoundServer::kill()
{
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    ::kill(pid_t(process_.processId()), SIGKILL);
    process_.waitForFinished(5000);
}

QString RestartableSoundServer::address() const
{
    return "unix:" + folder_.path() + "/native";
}

} // namespace murva::test
