#include "PrivateServers.h"

#include "Files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace murva::test {

bool runTool(const QString &program, const QStringList &arguments, QByteArray *output, const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        if (!entry.endsWith(u'=')) {
            variables.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        }
    }
    process.setProcessEnvironment(variables);
    process.start(program, arguments);
    if (!process.waitForFinished(15000)) {
        return false;
    }
    if (output) {
        *output = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value) : name_(name)
{
    if (qEnvironmentVariableIsSet(name)) {
        saved_ = qgetenv(name);
    }
    if (value.isEmpty()) {
        qunsetenv(name);
    } else {
        qputenv(name, value);
    }
}

ScopedEnv::~ScopedEnv()
{
    if (saved_) {
        qputenv(name_, *saved_);
    } else {
        qunsetenv(name_);
    }
}

PrivateXServer::PrivateXServer(QSize screenSize, const QStringList &extraArguments)
{
    const QString screen = QStringLiteral("%1x%2x24").arg(screenSize.width()).arg(screenSize.height());
    xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // -displayfd 1: the server picks a free display number and writes it to stdout when ready.
    xvfb_.start(QStringLiteral("Xvfb"), QStringList{"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp",
                                                    "-wr", "+extension", "Composite"}
                                            + extraArguments);
    QByteArray number;
    while (!number.contains('\n') && xvfb_.waitForReadyRead(10000)) {
        number += xvfb_.readAllStandardOutput();
    }
    if (number.contains('\n')) {
        displayName_ = ":" + number.trimmed();
    }
}

PrivateXServer::~PrivateXServer()
{
    if (xvfb_.state() == QProcess::NotRunning) {
        return;
    }
    signal(SIGCONT); // a stopped server would not see the SIGTERM
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
        kill();
    }
}

void PrivateXServer::signal(int number)
{
    if (xvfb_.state() != QProcess::NotRunning) {
        ::kill(pid_t(xvfb_.processId()), number);
    }
}

void PrivateXServer::kill()
{
    if (xvfb_.state() == QProcess::NotRunning) {
        return;
    }
    xvfb_.kill();
    xvfb_.waitForFinished(5000);
    // A killed server leaves its socket and lock file behind.
    const QByteArray number = displayName_.mid(1);
    QFile::remove(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number));
    QFile::remove(QStringLiteral("/tmp/.X%1-lock").arg(QString::fromLatin1(number)));
}

PrivateSoundServer::PrivateSoundServer()
{
    const QString runtime = folder_.path() + "/runtime";
    QDir().mkpath(runtime);
    QDir().mkpath(folder_.path() + "/home");
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    start();
}

PrivateSoundServer::~PrivateSoundServer()
{
    kill();
}

bool PrivateSoundServer::start()
{
    kill();
    QFile::remove(folder_.path() + "/native"); // left behind by a killed server
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", folder_.path() + "/runtime");
    environment.insert("HOME", folder_.path() + "/home");
    environment.remove("PULSE_SERVER");
    process_.setProcessEnvironment(environment);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start("pulseaudio",
                   {"--daemonize=no", "--exit-idle-time=-1", "--disallow-exit=yes", "--use-pid-file=no", "-n",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_.path() + "/native"});
    if (!process_.waitForStarted(5000)) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!control({"info"})) {
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(50);
    }
    QByteArray index;
    running_ = control({"load-module", "module-null-sink", "sink_name=speakers"}, &index)
        && addMicrophone("mic") && control({"set-default-sink", "speakers"});
    speakersModule_ = QString::fromUtf8(index).trimmed();
    return running_;
}

QString PrivateSoundServer::address() const
{
    return "unix:" + folder_.path() + "/native";
}

bool PrivateSoundServer::control(const QStringList &arguments, QByteArray *output)
{
    return runTool("pactl", arguments, output, {"PULSE_SERVER=" + address()});
}

bool PrivateSoundServer::removeSpeakers()
{
    return control({"unload-module", speakersModule_});
}

bool PrivateSoundServer::addMicrophone(const QString &source)
{
    const QString feed = source + "feed";
    return control({"load-module", "module-null-sink", "sink_name=" + feed})
        && control({"load-module", "module-remap-source", "source_name=" + source, "master=" + feed + ".monitor"})
        && control({"set-default-source", source});
}

void PrivateSoundServer::kill()
{
    running_ = false;
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    ::kill(pid_t(process_.processId()), SIGKILL);
    process_.waitForFinished(5000);
}

namespace {

// No <servicedir>: nothing is started on demand.
const char busConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateBus::PrivateBus()
{
    const QString config = folder_.filePath(QStringLiteral("bus.conf"));
    if (!writeFile(config, QString::fromLatin1(busConfig).arg(folder_.path()).toUtf8())) {
        return;
    }
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config,
                                                  QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    const QDeadlineTimer deadline(10000);
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    static int count = 0;
    name_ = QStringLiteral("private-bus-%1").arg(++count);
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(name_);
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) {
        daemon_.kill();
        daemon_.waitForFinished(1000);
    }
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection::connectToBus(address_, name_);
}

} // namespace murva::test
